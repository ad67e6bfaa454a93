#include "page_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>
#include <ctime>
#include <random>

#include "builtin_pages.h"
#include "text_util.h"

namespace bookloom {

namespace {

// Request bytes as UTF-16 code units of the same value.
std::u16string Widen(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (char c : s) out.push_back(static_cast<unsigned char>(c));
  return out;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool HasBody(const httplib::Request& req) {
  if (req.has_header("Transfer-Encoding")) return true;
  auto len = req.get_header_value("Content-Length");
  return !len.empty() && len != "0";
}

std::size_t HeaderBytes(const httplib::Request& req) {
  std::size_t n = 2;  // blank line
  for (const auto& [k, v] : req.headers) n += k.size() + 2 + v.size() + 2;
  return n;
}

void SetBadRequest(httplib::Response& res) {
  res.status = 400;
  res.headers.clear();
  res.set_content("Status 400: Bad Request", "text/plain");
}

}  // namespace

std::u16string DecodePercent(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'%' && i + 1 < s.size()) {
      int hi = HexDigit(s[i + 1]);
      int value = -1, used = 0;
      if (i + 2 < s.size()) {
        int lo = HexDigit(s[i + 2]);
        if (hi >= 0 && lo >= 0) {
          value = hi * 16 + lo;
          used = 2;
        }
      } else if (hi >= 0) {
        value = hi;  // a single digit at the very end
        used = 1;
      }
      if (value >= 1) {
        out.push_back(static_cast<char16_t>(value));
        i += used;
        continue;
      }
    }
    out.push_back(s[i]);
  }
  return out;
}

std::u16string RequestPathToName(std::string_view rawPath, std::u16string_view urlPrefix) {
  std::u16string path = Widen(rawPath);
  if (!urlPrefix.empty() && path.compare(0, urlPrefix.size(), urlPrefix) == 0)
    path.erase(0, urlPrefix.size());
  std::size_t lead = path.find_first_not_of(u'/');
  path.erase(0, lead == std::u16string::npos ? path.size() : lead);
  if (auto q = path.find(u'?'); q != std::u16string::npos) path.erase(q);
  if (auto h = path.find(u'#'); h != std::u16string::npos) path.erase(h);
  for (auto& c : path)
    if (c == u'/') c = u'\\';
  return DecodePercent(path);
}

std::u16string ExtractExt(std::u16string_view name) {
  std::size_t dot = name.rfind(u'.');
  if (dot == std::u16string_view::npos) return {};
  std::size_t sep = name.find_last_of(u"\\:");
  if (sep != std::u16string_view::npos && sep > dot) return {};
  return std::u16string(name.substr(dot));
}

std::string HttpDate(std::int64_t unixSeconds) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char clock[16], buf[64];
  std::snprintf(clock, sizeof clock, "%.2d:%.2d:%.2d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  std::snprintf(buf, sizeof buf, "%s, %.2d %s %.4d %s %s", kDays[tm.tm_wday], tm.tm_mday,
                kMonths[tm.tm_mon], tm.tm_year + 1900, clock, "GMT");
  return buf;
}

std::string NewGuidText() {
  std::uint8_t b[16];
  try {
    std::random_device rd;
    for (int i = 0; i < 16; i += 4) {
      std::uint32_t v = rd();
      for (int k = 0; k < 4; ++k) b[i + k] = std::uint8_t(v >> (8 * k));
    }
  } catch (...) {
    return {};
  }
  b[6] = std::uint8_t((b[6] & 0x0F) | 0x40);
  b[8] = std::uint8_t((b[8] & 0x3F) | 0x80);
  char out[40];
  std::snprintf(out, sizeof out,
                "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b[0], b[1],
                b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14],
                b[15]);
  return out;
}

struct TPageServer::Impl {
  httplib::Server server;
  std::thread listener;
  std::atomic<bool> stopping{false};
  std::atomic<bool> finished{false};
};

TPageServer::TPageServer(TMimeTable mime, TViewerLog* log) : fMime(std::move(mime)), fLog(log) {}

TPageServer::~TPageServer() { Stop(); }

void TPageServer::MakeUrlPrefix(const std::u16string& producerID) {
  std::string guid = NewGuidText();
  std::lock_guard<std::mutex> g(fLock);
  fPrefix = u"/" + producerID;
  if (!guid.empty()) fPrefix += u"/" + Utf8ToU16(guid);
}

std::u16string TPageServer::UrlPrefix() const {
  std::lock_guard<std::mutex> g(fLock);
  return fPrefix;
}

std::u16string TPageServer::BaseURL() const {
  return u"http://" + Utf8ToU16(kServerAddr) + u":" + Utf8ToU16(std::to_string(fPort.load())) +
         UrlPrefix() + u"/";
}

void TPageServer::SetBook(std::shared_ptr<const TQzLzhArchive> book) {
  std::lock_guard<std::mutex> g(fLock);
  fBook = std::move(book);
}

TPageResponse TPageServer::HandleRequest(std::string_view target) const {
  auto debug = [&](const std::u16string& m) {
    if (fLog) fLog->Debug(m);
  };
  std::string_view path = target.substr(0, target.find('?'));
  debug(u"Request: " + Widen(path));
  std::shared_ptr<const TQzLzhArchive> book;
  std::u16string prefix;
  {
    std::lock_guard<std::mutex> g(fLock);
    book = fBook;
    prefix = fPrefix;
  }
  const std::u16string name = RequestPathToName(path, prefix);
  TBytes buffer;
  bool handled = false;
  bool failed = false;
  if (!name.empty() && name[0] == u':') {
    handled = ProduceBuiltin(name, buffer);
  } else if (book && book->ContainsFile(name)) {
    std::string error;
    QzStatus st = book->GetFileAsync(name, buffer, &error);
    handled = true;
    failed = st != QzStatus::Ok && st != QzStatus::NoData;
    if (!buffer.empty()) {
      if (fLog) fLog->Ok(name);
    } else {
      debug(u"---> ERROR: " + name + u" found but NOT loaded!");
    }
  } else {
    debug(u"---> ERROR: " + name + u" NOT found!");
  }

  TPageResponse r;
  if (failed) {
    // The entry is listed but cannot be inflated (corrupt or oversized).
    r.status = 500;
    r.reason = "Internal Server Error";
    r.contentType = "text/plain";
    r.body = "Status 500: Internal Server Error";
  } else if (handled && !buffer.empty()) {
    r.status = 200;
    r.reason = "OK";
    bool found = false;
    std::string type = fMime.Lookup(U16ToUtf8(FoldCase(ExtractExt(name))), &found);
    r.contentType = found && !type.empty() ? type : "application/octet-stream";
    if (buffer.size() >= 3 && buffer[0] == 0xEF && buffer[1] == 0xBB && buffer[2] == 0xBF)
      r.contentType += "; charset=utf-8";
    r.body.assign(buffer.begin(), buffer.end());
    const auto now = std::chrono::system_clock::now();
    r.headers.emplace_back(
        "Expires",
        HttpDate(std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count() - 1));
    r.headers.emplace_back("Cache-Control", "no-cache");
  } else {
    r.status = 404;
    r.reason = "File not found";
    r.contentType = "text/plain";
    r.body = "Status 404: File not found";
  }
  debug(std::u16string(u"Request handled: ") + (handled ? u"1" : u"0"));
  return r;
}

bool TPageServer::Start(int firstPort, int lastPort) {
  Stop();
  fImpl = std::make_unique<Impl>();
  auto& svr = fImpl->server;
  // A worker serves one connection at a time, keep-alive included; 64 keep
  // many parallel clients from queueing behind each other.
  svr.new_task_queue = [] { return new httplib::ThreadPool(64); };
  // Only SO_REUSEADDR: the library's default SO_REUSEPORT would let a second
  // viewer listen on the same port and take half of this one's requests.
  svr.set_socket_options([](socket_t sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  svr.set_read_timeout(60, 0);
  // Headers and body go out in separate writes; without this each response
  // waits for the client's delayed acknowledgement (about 40 ms).
  svr.set_tcp_nodelay(true);
  svr.set_payload_max_length(kMaxRequestSize);

  auto serve = [this](const httplib::Request& req, httplib::Response& res) {
    std::size_t requestLine = req.method.size() + 1 + req.target.size() + 1 + req.version.size();
    if (HeaderBytes(req) > kMaxHeaderSize || requestLine > kMaxRequestSize) {
      SetBadRequest(res);
      return;
    }
    TPageResponse r = HandleRequest(req.target);
    res.status = r.status;
    for (const auto& [k, v] : r.headers) res.set_header(k.c_str(), v);
    res.set_content(std::move(r.body), r.contentType.c_str());
  };
  // Requests without a body are answered before routing; the others once
  // their body has been read.
  svr.set_pre_routing_handler([serve](const httplib::Request& req, httplib::Response& res) {
    if (HasBody(req)) return httplib::Server::HandlerResponse::Unhandled;
    serve(req, res);
    return httplib::Server::HandlerResponse::Handled;
  });
  const httplib::Server::Handler withBody = [serve](const httplib::Request& req,
                                                     httplib::Response& res) { serve(req, res); };
  svr.Post(".*", withBody);
  svr.Put(".*", withBody);
  svr.Patch(".*", withBody);
  svr.Delete(".*", withBody);
  const httplib::Server::HandlerWithResponse onError = [](const httplib::Request&,
                                                          httplib::Response& res) {
    if (res.status == 404 || res.status == 500 || !res.body.empty())
      return httplib::Server::HandlerResponse::Unhandled;
    SetBadRequest(res);
    return httplib::Server::HandlerResponse::Handled;
  };
  svr.set_error_handler(onError);

  for (int port = firstPort; port <= lastPort; ++port) {
    if (!svr.bind_to_port(kServerAddr, port)) continue;
    fPort = port;
    if (fLog) fLog->Debug(u"Server ready");
    Impl* impl = fImpl.get();
    TViewerLog* log = fLog;
    impl->listener = std::thread([impl, log, port] {
      // Listen on the bound socket until Stop() closes it. Stop() repeats
      // its request until this thread has finished, so a bound socket is
      // always listened on and closed, never left behind.
      for (;;) {
        impl->server.listen_after_bind();
        if (impl->stopping) break;
        // The listening socket was lost: listen again on the same port.
        if (log) log->Debug(u"Error starting Web Server! ListenLost>listening stopped");
        bool bound = false;
        while (!impl->stopping && !(bound = impl->server.bind_to_port(kServerAddr, port)))
          std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (!bound) break;
      }
      impl->finished = true;
    });
    return true;
  }
  fImpl.reset();
  fPort = 0;
  return false;
}

bool TPageServer::Listening() const { return fImpl && fPort != 0 && !fImpl->stopping; }

void TPageServer::Stop() {
  if (!fImpl) return;
  fImpl->stopping = true;
  // stop() only acts once the listener runs; repeat it until the listener
  // thread has seen it (it may be just about to start listening).
  while (!fImpl->finished) {
    fImpl->server.stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (fImpl->listener.joinable()) fImpl->listener.join();
  fImpl.reset();
  fPort = 0;
}

}  // namespace bookloom
