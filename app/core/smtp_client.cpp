#include "core/smtp_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "common/text.h"
#include "core/debug_log.h"
#include "core/texts.h"

namespace appcore {
namespace {

constexpr int kTimeoutMs = 5000;
constexpr size_t kReplySize = 4096;
constexpr size_t kMaxSubjectBytes = 511;
constexpr size_t kBodyPiece = 998;

// UTF-8 of text cut to at most limit bytes at a character boundary.
std::string Utf8Limited(const std::wstring& text, size_t limit) {
  std::string out = common::ToUtf8(text);
  if (out.size() <= limit) return out;
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
  out.resize(cut);
  return out;
}

int LastSocketError() {
  int e = errno;
  if (e == EAGAIN || e == EWOULDBLOCK || e == ETIMEDOUT) return kSocketTimeout;
  return e;
}

// The reply-code table of a dialogue that ended early.
sw::AppKey KeyOfEndCode(int code, bool* mapped) {
  *mapped = true;
  switch (code) {
    case 421: return sw::ERROR_SEND_TEST_SMTP_UNAVAILABLE;
    case 450:
    case 550: return sw::ERROR_SEND_TEST_MAILBOX_UNAVAIABLE;
    case 452: return sw::ERROR_SEND_TEST_INSUFFICIENT_STORAGE;
    case 521: return sw::ERROR_SEND_TEST_SERVER_NOT_ACCEPT;
    case 530: return sw::ERROR_SEND_TEST_ACCESS_DENIED;
    case 535: return sw::ERROR_SEND_TEST_AUTHENTICATION_FAILED;
    case 552: return sw::ERROR_SEND_TEST_EXCEED_STORAGE;
    case 554: return sw::ERROR_SEND_TEST_TRANSACTION_FAILED;
    case kSocketTimeout: return sw::ERROR_SEND_TEST_TIMEOUT;
    default: *mapped = false; return sw::ERROR_SENDING_TEST_EMAIL;
  }
}

// One connected socket and the dialogue steps over it.
class SmtpSession {
 public:
  SmtpSession(int fd, MailProgress* progress) : fd_(fd), progress_(progress) {}

  // Sends one line (or piece); 0 or the socket error number.
  int Send(const std::string& data, const char* step) {
    size_t done = 0;
    while (done < data.size()) {
      ssize_t n = ::send(fd_, data.data() + done, data.size() - done, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      int err = CheckSocketResult(n, step, n <= 0 ? LastSocketError() : 0);
      if (err != 0) return err;
      done += static_cast<size_t>(n);
    }
    return 0;
  }

  // Reads one complete reply: up to the CR LF of its last line (the line
  // whose code is followed by a blank rather than "-"), at most 4096 bytes.
  // The whole reply has 5 s; a server that hands it out a byte at a time
  // cannot stretch the wait beyond that.
  int Receive(const char* step) {
    reply_.clear();
    char buffer[kReplySize];
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeoutMs);
    while (reply_.size() < kReplySize && !ReplyComplete()) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                      deadline - std::chrono::steady_clock::now()).count();
      pollfd pfd{fd_, POLLIN, 0};
      int ready = left > 0 ? ::poll(&pfd, 1, static_cast<int>(left)) : 0;
      if (ready < 0 && errno == EINTR) continue;
      if (ready == 0) return CheckSocketResult(-1, step, kSocketTimeout);
      ssize_t n = ::recv(fd_, buffer, kReplySize - reply_.size(), 0);
      if (n < 0 && errno == EINTR) continue;
      int err = CheckSocketResult(n, step, n < 0 ? LastSocketError() : ECONNRESET);
      if (err != 0) return err;
      reply_.append(buffer, static_cast<size_t>(n));
    }
    return 0;
  }

  // Whether the last Step failed on the socket rather than on a reply.
  bool SocketFailed() const { return socketFailed_; }

  // Sends line (may be empty) then reads and checks the reply.
  int Step(const std::string& line, const char* step, int expected, const char* failText) {
    socketFailed_ = true;
    if (!line.empty()) {
      if (int err = Send(line, step)) return err;
    }
    if (int err = Receive(step)) return err;
    socketFailed_ = false;
    return CheckSmtpReply(reply_, expected, failText, progress_);
  }

 private:
  bool ReplyComplete() const {
    size_t start = 0;
    while (true) {
      size_t end = reply_.find("\r\n", start);
      if (end == std::string::npos) return false;
      if (end - start < 4 || reply_[start + 3] != '-') return true;
      start = end + 2;
    }
  }

  int fd_;
  MailProgress* progress_;
  std::string reply_;
  bool socketFailed_ = false;
};

class ProgressTracker {
 public:
  explicit ProgressTracker(MailProgress* p) : p_(p) {}
  void Set(int pos) {
    pos_ = pos;
    if (p_) p_->SetPosition(pos_);
  }
  void Advance() { Set(pos_ + 10); }
  int Position() const { return pos_; }

 private:
  MailProgress* p_;
  int pos_ = 0;
};

// Connects with a 5 s limit; 0 or an error number.
int ConnectWithTimeout(int fd, const sockaddr_in& address) {
  int flags = fcntl(fd, F_GETFL, 0);
  fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  int error = 0;
  if (result != 0) {
    if (errno != EINPROGRESS) {
      error = errno;
    } else {
      pollfd pfd{fd, POLLOUT, 0};
      int ready;
      do {
        ready = ::poll(&pfd, 1, kTimeoutMs);
      } while (ready < 0 && errno == EINTR);
      if (ready == 0) {
        error = kSocketTimeout;
      } else if (ready < 0) {
        error = errno;
      } else {
        socklen_t len = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) error = errno;
      }
    }
  }
  fcntl(fd, F_SETFL, flags);
  return error;
}

}  // namespace

std::string Base64Encode(const std::string& bytes) {
  static const char* kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                 (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                 static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  size_t rest = bytes.size() - i;
  if (rest > 0) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (rest == 2) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::vector<std::string> EncodeMailBody(const std::wstring& body) {
  std::vector<std::string> pieces;
  for (size_t start = 0; start < body.size(); start += kBodyPiece) {
    std::string text = common::ToUtf8(body.substr(start, kBodyPiece));
    // Every piece starts a line, as does every byte after a line feed.
    std::string stuffed;
    stuffed.reserve(text.size() + 4);
    bool lineStart = true;
    for (char c : text) {
      if (lineStart && c == '.') stuffed += '.';
      stuffed += c;
      lineStart = c == '\n';
    }
    stuffed += "\r\n";
    pieces.push_back(std::move(stuffed));
  }
  return pieces;
}

int CheckSmtpReply(const std::string& reply, int expectedCode, const char* failText,
                   MailProgress* progress) {
  int code = 0;
  for (size_t i = 0; i < 3; ++i) {
    int digit = i < reply.size() ? static_cast<unsigned char>(reply[i]) - '0' : 0;
    code = code * 10 + digit;
  }
  if (code == expectedCode) return 0;
  std::wstring text = common::FromUtf8(failText);
  if (progress) progress->SetStatus(text);
  WriteDebugLog(text);
  return code != 0 ? code : -1;
}

int CheckSocketResult(long result, const char* stepName, int lastError) {
  if (result != -1 && result != 0) return 0;
  WriteDebugLog(FormatText(L"Error during call to %S:  %d - %d", stepName,
                           static_cast<long long>(result), lastError));
  return lastError != 0 ? lastError : ECONNRESET;
}

int SendMailMessage(const AppConfig& config, const std::wstring* subject,
                    const std::wstring* body, bool isTest, MailProgress* progress) {
  if (subject == nullptr || body == nullptr) return 1;
  MailProgress silent;
  MailProgress* sink = progress != nullptr ? progress : &silent;

  // A test shows its progress bar; an alert has none.
  std::vector<std::string> recipients;
  for (int i = 0; i < RecipientCount(config); ++i)
    recipients.push_back(FieldText(config.recipients[i], kAddressSize));
  if (isTest) sink->ShowProgress(true);
  sink->SetRange(150 + 10 * static_cast<int>(recipients.size()));
  ProgressTracker pos(sink);
  pos.Set(0);

  std::string from = FieldText(config.fromAddress, kAddressSize);
  std::string server = FieldText(config.smtpServer, kAddressSize);
  std::string subject8 = Utf8Limited(*subject, kMaxSubjectBytes);
  pos.Set(10);  // POSIX sockets need no start-up

  auto giveUp = [&](const std::wstring& text) {
    if (isTest) sink->ShowMessage(text, LocText(sw::MB_TITLE_SEND_TEST_EMAIL_ERROR),
                                  MessageIcon::Warning);
    WriteDebugLog(text);
    sink->SetStatus(text);
    if (isTest) sink->ShowProgress(false);
    return 1;
  };

  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (server.empty() || getaddrinfo(server.c_str(), nullptr, &hints, &found) != 0 ||
      found == nullptr) {
    if (found) freeaddrinfo(found);
    return giveUp(LocFormat(sw::ERROR_CANNOT_FIND_SMTP_SERVER, server));
  }
  sockaddr_in address = *reinterpret_cast<sockaddr_in*>(found->ai_addr);
  freeaddrinfo(found);
  address.sin_port = htons(static_cast<uint16_t>(config.smtpPort));
  pos.Set(20);

  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return giveUp(LocText(sw::ERROR_CANNOT_OPEN_SOCKET));
  timeval limit{kTimeoutMs / 1000, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  pos.Set(30);

  // A port beyond 16 bits must not wrap round to another one.
  bool portValid = config.smtpPort > 0 && config.smtpPort <= 65535;
  if (int error = portValid ? ConnectWithTimeout(fd, address) : EINVAL) {
    ::close(fd);
    return giveUp(LocFormat(sw::ERROR_CANNOT_CONNECT_MAIL_SERVER, error));
  }
  pos.Set(40);

  SmtpSession session(fd, sink);
  const char* kNotReady = "SMTP Service not ready";
  const char* kUnexpected = "Unexpected error";
  auto dialogue = [&]() -> int {
    if (int e = session.Step("", "recv greeting", 220, kNotReady)) return e;
    pos.Advance();
    if (config.smtpAuth) {
      if (int e = session.Step("EHLO " + server + "\r\n", "EHLO", 250, kNotReady)) return e;
      if (int e = session.Step("AUTH LOGIN\r\n", "AUTH LOGIN", 334,
                               "Authentication not supported"))
        return e;
      std::string user = FieldText(config.smtpUser, kAddressSize);
      if (int e = session.Step(Base64Encode(user) + "\r\n", "AUTH user", 334,
                               "Authentication not supported"))
        return e;
      std::string password = FieldText(config.smtpPassword, kAddressSize);
      if (int e = session.Step(Base64Encode(password) + "\r\n", "AUTH password", 235,
                               "Incorrect username/password"))
        return e;
    } else {
      if (int e = session.Step("HELO " + server + "\r\n", "HELO", 250, kNotReady)) return e;
    }
    pos.Advance();
    if (int e = session.Step("MAIL FROM:<" + from + ">\r\n", "MAIL FROM", 250, kUnexpected))
      return e;
    pos.Advance();
    int refused = 0;
    for (const std::string& to : recipients) {
      int e = session.Step("RCPT TO:<" + to + ">\r\n", "RCPT TO", 250, kUnexpected);
      if (e != 0) {
        // A socket failure ends the dialogue; a refusal only this recipient.
        if (session.SocketFailed()) return e;
        refused = e;
      }
      pos.Advance();
    }
    if (refused != 0) return refused;
    if (int e = session.Step("DATA\r\n", "DATA", 354, kUnexpected)) return e;
    pos.Advance();
    std::string header = "From:  <" + from + ">\r\nTo: ";
    for (size_t i = 0; i < recipients.size(); ++i) {
      if (i > 0) header += ",";
      header += "<" + recipients[i] + ">";
    }
    header += "\r\n";
    if (int e = session.Send(header, "send header")) return e;
    pos.Advance();
    if (int e = session.Send("Subject: " + subject8 + "\r\n\r\n", "send subject")) return e;
    pos.Advance();
    std::vector<std::string> pieces = EncodeMailBody(*body);
    size_t full = body->size() / kBodyPiece;
    for (size_t i = 0; i < pieces.size() && i < full; ++i)
      if (int e = session.Send(pieces[i], "send body")) return e;
    pos.Advance();
    for (size_t i = full; i < pieces.size(); ++i)
      if (int e = session.Send(pieces[i], "send body")) return e;
    pos.Advance();
    if (int e = session.Step("\r\n.\r\n", "end of data", 250, kUnexpected)) return e;
    pos.Advance();
    if (int e = session.Send("QUIT\r\n", "QUIT")) return e;
    session.Receive("QUIT");  // the answer is not examined
    pos.Advance();
    return 0;
  };

  int ended = dialogue();
  ::close(fd);
  if (ended != 0) {
    bool mapped = false;
    sw::AppKey key = KeyOfEndCode(ended, &mapped);
    std::wstring text = LocFormat(key, ended);
    sink->ShowMessage(text, LocText(sw::MB_TITLE_SEND_TEST_EMAIL_ERROR), MessageIcon::Warning);
    if (mapped) WriteDebugLog(text);
    pos.Advance();
    sink->SetStatus(LocText(sw::ERROR_SENDING_TEST_EMAIL2));
    if (isTest) sink->ShowProgress(false);
    return 0;
  }
  pos.Set(150 + 10 * static_cast<int>(recipients.size()));
  sink->SetStatus(LocText(sw::MISC_SUCCESS_TEST_EMAIL));
  if (isTest) sink->ShowProgress(false);
  return 0;
}

}  // namespace appcore
