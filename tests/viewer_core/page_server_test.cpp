// The page server: request names, content types, headers, built-in pages,
// and a live server on loopback driven by real HTTP clients.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <ctime>
#include <fstream>
#include <sstream>

#include "book_fixtures.h"
#include "builtin_pages.h"
#include "page_server.h"
#include "text_util.h"

namespace bookloom {
namespace {

using test::TempDir;
using test::Text;

// Compares text with a shape: '9' a decimal digit, 'X' an upper-case hex
// digit, 'A' a letter; any other character stands for itself.
bool HasShape(const std::string& s, const std::string& shape) {
  if (s.size() != shape.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    switch (shape[i]) {
      case '9': if (c < '0' || c > '9') return false; break;
      case 'X': if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false; break;
      case 'A': if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false; break;
      default: if (c != shape[i]) return false;
    }
  }
  return true;
}

const char kGuidShape[] = "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX";

TEST(RequestNames, PathToEntryName) {
  const std::u16string prefix = u"/qz.8/0C8F3A4E-1111-4222-8333-444455556666";
  struct Case {
    std::string path;
    std::u16string name;
  } cases[] = {
      {"/qz.8/0C8F3A4E-1111-4222-8333-444455556666/index.html", u"index.html"},
      {"/index.html", u"index.html"},
      {"/qz.8/0C8F3A4E-1111-4222-8333-444455556666//a/b.png", u"a\\b.png"},
      {"/QZ.8/0C8F3A4E-1111-4222-8333-444455556666/x.htm",
       u"QZ.8\\0C8F3A4E-1111-4222-8333-444455556666\\x.htm"},
      {"///deep/er/page.htm#top", u"deep\\er\\page.htm"},
      {"/with%20space.htm", u"with space.htm"},
      {"/100%zz.htm", u"100%zz.htm"},
      {"/caf%C3%A9.htm", u"caf\u00C3\u00A9.htm"},
      {"/a%00b", u"a%00b"},
      {"/end%4", u"end\u0004"},
      {"/end%", u"end%"},
      {"/%2F%3a", u"/:"},
      {"/:default.html", u":default.html"},
      {"", u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RequestPathToName(c.path, prefix), c.name) << c.path;
}

TEST(RequestNames, ExtensionOfTheName) {
  EXPECT_EQ(ExtractExt(u"a\\b.PNG"), u".PNG");
  EXPECT_EQ(ExtractExt(u"dir.d\\file"), u"");
  EXPECT_EQ(ExtractExt(u":default.html"), u".html");
  EXPECT_EQ(ExtractExt(u"x.y:z"), u"");
  EXPECT_EQ(ExtractExt(u"noext"), u"");
  EXPECT_EQ(ExtractExt(u"trailing."), u".");
}

TEST(ResponseHeaders, HttpDateAndGuid) {
  EXPECT_EQ(HttpDate(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(HttpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
  const std::string g = NewGuidText();
  EXPECT_TRUE(HasShape(g, kGuidShape)) << g;
  EXPECT_EQ(g[14], '4') << g;  // random GUID (version 4, RFC 4122 variant)
  EXPECT_NE(std::string("89AB").find(g[19]), std::string::npos) << g;
  EXPECT_NE(g, NewGuidText());
}

TEST(MimeTable, BuiltinLinesAndSystemOverrides) {
  ASSERT_EQ(TMimeTable::BuiltinLines().size(), 138u);
  TMimeTable t;
  for (const auto& l : TMimeTable::BuiltinLines()) t.AddLine(l);
  EXPECT_EQ(t.Lookup(".xbm"), "image/xbm");  // the first of two lines
  EXPECT_EQ(t.Lookup(".PNG"), "image/x-png");
  EXPECT_EQ(t.Lookup(".svg"), "image/svg-xml");
  bool found = true;
  EXPECT_EQ(t.Lookup(".nothing", &found), "");
  EXPECT_FALSE(found);

  TempDir dir;
  std::ofstream(dir.file("mime.types")) << "# comment\n"
                                            "image/png\t\tpng\n"
                                            "image/svg+xml svg svgz\n"
                                            "text/x-new   newext # trailing comment\n"
                                            "broken\n";
  ASSERT_TRUE(t.LoadSystemTypes(dir.file("mime.types")));
  EXPECT_EQ(t.Lookup(".png"), "image/png");
  EXPECT_EQ(t.Lookup(".svgz"), "image/svg+xml");
  EXPECT_EQ(t.Lookup(".newext"), "text/x-new");
  EXPECT_EQ(t.Lookup(".htm"), "text/html");
  EXPECT_EQ(t.Lines().size(), 140u);  // two new keys appended, the rest replaced
  EXPECT_FALSE(t.LoadSystemTypes(dir.file("missing")));
}

TEST(BuiltinPages, StartPageAndLogo) {
  const TBytes& page = DefaultHtml();
  ASSERT_GE(page.size(), 3u);
  EXPECT_EQ(page[0], 0xEF);
  const std::string html(page.begin() + 3, page.end());
  EXPECT_EQ(html.find('\n'), std::string::npos);
  for (const char* part : {"<!DOCTYPE html>", "<title>Pagemint Viewer</title>", "IE=Edge",
                           "charset=UTF-8", "<h1>Pagemint Viewer</h1>", "target=\"_blank\"",
                           "src=\":pagemint-logo.png\"", "href=\"cmd:openbook\"",
                           "Click on the logo to open an <b>.pagemint</b> book", "Segoe UI",
                           "margin: 3em", "max-width: 50%", "line-height: 1.2em"})
    EXPECT_NE(html.find(part), std::string::npos) << part;
  const TBytes& png = LogoPng();
  ASSERT_GT(png.size(), 100u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  TBytes out;
  EXPECT_TRUE(ProduceBuiltin(u":DEFAULT.HTML", out));
  EXPECT_TRUE(ProduceBuiltin(u":Pagemint-Logo.png", out));
  EXPECT_FALSE(ProduceBuiltin(u":other", out));
}

TEST(ViewerLogLines, OkLinesAreJoined) {
  TViewerLog log;
  log.Debug(u"off");
  EXPECT_TRUE(log.Lines().empty());
  log.SetEnabled(true);
  log.Ok(u"a.htm");
  log.Ok(u"b.css");
  log.Debug(u"Request: /x");
  log.Ok(u"c.png");
  EXPECT_EQ(log.Lines(), (std::vector<std::u16string>{u"Ok: a.htm, b.css", u"Request: /x", u"Ok: c.png"}));
}

// ---- live server -------------------------------------------------------

// Sends raw bytes to 127.0.0.1:port and returns one response: up to the
// end of its body (by Content-Length) or until the server closes.
std::string RawExchange(int port, const std::string& request) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return "connect failed";
  }
  timeval tv{30, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  std::size_t sent = 0;
  while (sent < request.size()) {
    ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;  // the server may refuse before reading everything
    sent += static_cast<std::size_t>(n);
  }
  std::string got;
  char buf[4096];
  for (;;) {
    std::size_t end = got.find("\r\n\r\n");
    if (end != std::string::npos) {
      const std::string head = got.substr(0, end);
      const std::size_t at = head.find("Content-Length: ");
      if (at != std::string::npos && got.size() >= end + 4 + std::stoul(head.substr(at + 16)))
        break;
    }
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    got.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return got;
}

// Holds a port on 127.0.0.1 (listening), like another program would.
struct PortHolder {
  int fd = -1;
  explicit PortHolder(int port) {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 1) != 0) {
      ::close(fd);
      fd = -1;
    }
  }
  ~PortHolder() {
    if (fd >= 0) ::close(fd);
  }
};

class LiveServer : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<TBookEntry> e;
    auto add = [&](std::u16string name, TBytes data) {
      TBookEntry x;
      x.name = std::move(name);
      x.data = std::move(data);
      e.push_back(std::move(x));
    };
    add(u"index.html", Text("<html>index</html>"));
    add(u"bom.htm", Text("\xEF\xBB\xBF<html>bom</html>"));
    add(u"image.PNG", Text("\x89PNG-ish"));
    add(u"a\\b.png", Text("ab"));
    add(u"noext", Text("plain"));
    add(u"data.unknownext", Text("data"));
    add(u"with space.htm", Text("space"));
    add(u"100%zz.htm", Text("percent"));
    add(u"caf\u00C3\u00A9.htm", Text("bytes"));
    add(u"empty.htm", {});
    add(u"style.CSS", Text("body{}"));
    path = dir.file("book.pagemint");
    test::WriteBytes(path, BuildContainer(e));
    auto book = std::make_shared<TQzLzhArchive>(path);
    ASSERT_TRUE(book->FOpen);
    TMimeTable mime;
    for (const auto& l : TMimeTable::BuiltinLines()) mime.AddLine(l);
    log.SetEnabled(true);
    server = std::make_unique<TPageServer>(std::move(mime), &log);
    ASSERT_TRUE(server->Start());
    server->MakeUrlPrefix(u"qz.8");
    server->SetBook(book);
    port = server->ServerPort();
    prefix = U16ToUtf8(server->UrlPrefix());
  }

  std::string Get(const std::string& target) {
    return RawExchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
  }
  static std::string Body(const std::string& response) {
    std::size_t at = response.find("\r\n\r\n");
    return at == std::string::npos ? "" : response.substr(at + 4);
  }
  static int Status(const std::string& response) {
    return response.size() > 12 && response.compare(0, 5, "HTTP/") == 0 ? std::atoi(response.c_str() + 9) : 0;
  }

  TempDir dir;
  std::string path;
  TViewerLog log;
  std::unique_ptr<TPageServer> server;
  int port = 0;
  std::string prefix;
};

TEST_F(LiveServer, ServesEntriesWithTypeAndNoCacheHeaders) {
  EXPECT_GE(port, kFirstPort);
  EXPECT_LE(port, kLastPort);
  EXPECT_EQ(U16ToUtf8(server->BaseURL()), "http://127.0.0.1:" + std::to_string(port) + prefix + "/");
  EXPECT_TRUE(HasShape(prefix, std::string("/qz.8/") + kGuidShape)) << prefix;

  httplib::Client cli("127.0.0.1", port);
  cli.set_url_encode(false);
  auto res = cli.Get((prefix + "/index.html?hid_overview.htm").c_str());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->body, "<html>index</html>");
  EXPECT_EQ(res->get_header_value("Content-Type"), "text/html");
  EXPECT_EQ(res->get_header_value("Cache-Control"), "no-cache");
  const std::string expires = res->get_header_value("Expires");
  EXPECT_TRUE(HasShape(expires, "AAA, 99 AAA 9999 99:99:99 GMT")) << expires;
  {  // one second before the answer was made
    const std::int64_t now = std::time(nullptr);
    EXPECT_TRUE(expires == HttpDate(now - 1) || expires == HttpDate(now - 2) ||
                expires == HttpDate(now - 3))
        << expires << " vs " << HttpDate(now);
  }
  EXPECT_NE(std::string("Sun Mon Tue Wed Thu Fri Sat").find(expires.substr(0, 3)), std::string::npos);
  EXPECT_NE(std::string("Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec").find(expires.substr(8, 3)),
            std::string::npos);

  struct Case {
    std::string target;
    int status;
    std::string type;
    std::string body;
  } cases[] = {
      {"/index.html", 200, "text/html", "<html>index</html>"},
      {prefix + "//a/b.png", 200, "image/x-png", "ab"},
      {prefix + "/image.PNG", 200, "image/x-png", "\x89PNG-ish"},
      {prefix + "/STYLE.css", 200, "text/css", "body{}"},
      {prefix + "/noext", 200, "application/octet-stream", "plain"},
      {prefix + "/data.unknownext", 200, "application/octet-stream", "data"},
      {prefix + "/with%20space.htm", 200, "text/html", "space"},
      {prefix + "/100%zz.htm", 200, "text/html", "percent"},
      {prefix + "/caf%C3%A9.htm", 200, "text/html", "bytes"},
      {prefix + "/bom.htm", 200, "text/html; charset=utf-8", "\xEF\xBB\xBF<html>bom</html>"},
      {prefix + "/:default.html", 200, "text/html; charset=utf-8", ""},
      {"/:pagemint-logo.png", 200, "image/x-png", ""},
      {prefix + "/:other", 404, "", "Status 404: File not found"},
      {prefix + "/empty.htm", 404, "", "Status 404: File not found"},
      {prefix + "/missing.htm", 404, "", "Status 404: File not found"},
      {"/QZ.8" + prefix.substr(5) + "/index.html", 404, "", "Status 404: File not found"},
  };
  for (const auto& c : cases) {
    auto r = cli.Get(c.target.c_str());
    ASSERT_TRUE(r) << c.target;
    EXPECT_EQ(r->status, c.status) << c.target;
    if (!c.type.empty()) {
      EXPECT_EQ(r->get_header_value("Content-Type"), c.type) << c.target;
    }
    if (!c.body.empty()) {
      EXPECT_EQ(r->body, c.body) << c.target;
    }
  }
  auto logo = cli.Get("/:pagemint-logo.png");
  ASSERT_TRUE(logo);
  EXPECT_EQ(TBytes(logo->body.begin(), logo->body.end()), LogoPng());

  const auto lines = log.Lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), u"---> ERROR: missing.htm NOT found!"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), u"---> ERROR: empty.htm found but NOT loaded!"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), u"Request handled: 0"), lines.end());
}

TEST_F(LiveServer, OtherMethodsAndTheBookSwap) {
  httplib::Client cli("127.0.0.1", port);
  auto post = cli.Post((prefix + "/index.html").c_str(), std::string(5000, 'x'), "text/plain");
  ASSERT_TRUE(post);
  EXPECT_EQ(post->status, 200);
  EXPECT_EQ(post->body, "<html>index</html>");
  auto head = cli.Head((prefix + "/index.html").c_str());
  ASSERT_TRUE(head);
  EXPECT_EQ(head->status, 200);

  // Another book replaces the first; the prefix stays.
  std::vector<TBookEntry> e(1);
  e[0].name = u"other.htm";
  e[0].data = Text("other");
  test::WriteBytes(dir.file("other.pagemint"), BuildContainer(e));
  server->SetBook(std::make_shared<TQzLzhArchive>(dir.file("other.pagemint")));
  EXPECT_EQ(cli.Get((prefix + "/index.html").c_str())->status, 404);
  EXPECT_EQ(cli.Get((prefix + "/other.htm").c_str())->body, "other");
  server->SetBook(nullptr);
  EXPECT_EQ(cli.Get((prefix + "/other.htm").c_str())->status, 404);
  EXPECT_EQ(cli.Get("/:default.html")->status, 200);
}

TEST_F(LiveServer, MalformedAndOversizedRequestsGet400) {
  std::string r = RawExchange(port, "GARBAGE\r\n\r\n");
  EXPECT_EQ(Status(r), 400) << r;
  EXPECT_EQ(Body(r), "Status 400: Bad Request");

  r = RawExchange(port, "GET /" + std::string(130000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_TRUE(r.empty() || Status(r) == 400) << r.substr(0, 200);

  r = RawExchange(port, "GET /index.html HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(17000, 'b') +
                            "\r\nConnection: close\r\n\r\n");
  EXPECT_TRUE(r.empty() || Status(r) == 400) << r.substr(0, 200);

  std::string many;
  for (int i = 0; i < 4; ++i) many += "X-Part" + std::to_string(i) + ": " + std::string(5000, 'c') + "\r\n";
  r = RawExchange(port, "GET /index.html HTTP/1.1\r\nHost: x\r\n" + many + "Connection: close\r\n\r\n");
  EXPECT_EQ(Status(r), 400) << r.substr(0, 200);

  // A header just under the limit is fine, and the server still serves.
  r = RawExchange(port, "GET /index.html HTTP/1.1\r\nHost: x\r\nX-Ok: " + std::string(7000, 'o') +
                            "\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(Status(r), 200);
  EXPECT_EQ(Body(Get(prefix + "/index.html")), "<html>index</html>");
}

TEST_F(LiveServer, ListensOnLoopbackOnly) {
  bool seen = false;
  for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    std::ifstream in(table);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
      std::istringstream w(line);
      std::string slot, local, remote, state;
      w >> slot >> local >> remote >> state;
      if (state != "0A") continue;  // listening
      const int lport = std::stoi(local.substr(local.find(':') + 1), nullptr, 16);
      if (lport != port) continue;
      seen = true;
      EXPECT_STREQ(table, "/proc/net/tcp");
      EXPECT_EQ(local.substr(0, local.find(':')), "0100007F");
    }
  }
  EXPECT_TRUE(seen);
}

TEST(PageServerPorts, BusyPortsAreSkipped) {
  // Find three consecutive free ports and take them, as other programs would.
  for (int base = 8000; base + 5 <= 8099; ++base) {
    PortHolder a(base), b(base + 1), c(base + 2);
    if (a.fd < 0 || b.fd < 0 || c.fd < 0) continue;
    TPageServer s(TMimeTable::CreateDefault(), nullptr);
    ASSERT_TRUE(s.Start(base, 8099));
    EXPECT_GE(s.ServerPort(), base + 3);
    s.Stop();
    EXPECT_FALSE(s.Listening());
    return;
  }
  GTEST_SKIP() << "no three free ports in 8000..8099";
}

TEST(PageServerPorts, TwoServersNeverShareAPort) {
  TPageServer a(TMimeTable::CreateDefault(), nullptr), b(TMimeTable::CreateDefault(), nullptr);
  ASSERT_TRUE(a.Start());
  ASSERT_TRUE(b.Start());
  EXPECT_NE(a.ServerPort(), b.ServerPort());
}

TEST(PageServerPorts, StartAndStopAtOnceReleaseThePort) {
  for (int round = 0; round < 20; ++round) {
    TPageServer s(TMimeTable::CreateDefault(), nullptr);
    ASSERT_TRUE(s.Start());
    const int port = s.ServerPort();
    s.Stop();
    // Nothing listens there any more (unless another program took it).
    PortHolder again(port);
    if (again.fd < 0) {
      std::string r = RawExchange(port, "GET /:default.html HTTP/1.1\r\nHost: x\r\n\r\n");
      EXPECT_EQ(r.find("Pagemint Viewer"), std::string::npos) << "port " << port << " still served";
    }
  }
}

TEST(PageServerPorts, NoFreePortFails) {
  for (int port = 8050; port <= 8099; ++port) {
    PortHolder hold(port);
    if (hold.fd < 0) continue;
    TPageServer s(TMimeTable::CreateDefault(), nullptr);
    EXPECT_FALSE(s.Start(port, port));
    EXPECT_EQ(s.ServerPort(), 0);
    return;
  }
}

TEST(PageServerUrls, PrefixWithProducerAndGuid) {
  TPageServer s(TMimeTable::CreateDefault(), nullptr);
  s.MakeUrlPrefix(u"acme");
  EXPECT_TRUE(HasShape(U16ToUtf8(s.UrlPrefix()), std::string("/acme/") + kGuidShape));
  // Without a running server the handler still answers.
  TPageResponse r = s.HandleRequest("/:default.html?x=1");
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.contentType, "text/html; charset=utf-8");
}

}  // namespace
}  // namespace bookloom
