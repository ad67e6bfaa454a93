// The loopback page server: serves the open book's entries over HTTP on
// 127.0.0.1, first free port of 8000 to 8099, under a per-run URL prefix.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "mime_table.h"
#include "qz_archive.h"
#include "viewer_log.h"

namespace bookloom {

inline constexpr char kServerAddr[] = "127.0.0.1";
inline constexpr int kFirstPort = 8000;
inline constexpr int kLastPort = 8099;
inline constexpr std::size_t kMaxHeaderSize = 16000;    // request line excluded
inline constexpr std::size_t kMaxRequestSize = 128000;  // request line

// Request target -> entry name: drop the prefix (when present), leading
// slashes, "?..." and "#...", turn "/" into "\" and decode percent escapes.
std::u16string RequestPathToName(std::string_view path, std::u16string_view urlPrefix);
// Percent decoding as the viewer does it: each escape yields one character
// of value 1 to 255; anything else stays.
std::u16string DecodePercent(std::u16string_view s);
// Extension from the last "." after the last "\" or ":"; empty when none.
std::u16string ExtractExt(std::u16string_view name);
// HTTP date of `t` ("Sun, 06 Nov 1994 08:49:37 GMT").
std::string HttpDate(std::int64_t unixSeconds);
// A new GUID, 36 upper-case hex characters in 8-4-4-4-12 groups; empty on
// failure.
std::string NewGuidText();

struct TPageResponse {
  int status = 404;
  std::string reason;
  std::string contentType;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
};

class TPageServer {
 public:
  TPageServer(TMimeTable mime, TViewerLog* log);
  ~TPageServer();
  TPageServer(const TPageServer&) = delete;
  TPageServer& operator=(const TPageServer&) = delete;

  // Listens on the first free port of first..last on 127.0.0.1 and serves
  // on worker threads. False when no port could be used.
  bool Start(int firstPort = kFirstPort, int lastPort = kLastPort);
  void Stop();
  bool Listening() const;
  int ServerPort() const { return fPort; }

  // "/" + producer + "/" + GUID (or "/" + producer when none can be made).
  void MakeUrlPrefix(const std::u16string& producerID);
  std::u16string UrlPrefix() const;
  // "http://127.0.0.1:" + port + prefix + "/".
  std::u16string BaseURL() const;

  // The book served from now on (may be null). Requests in flight keep the
  // book they started with.
  void SetBook(std::shared_ptr<const TQzLzhArchive> book);

  // Handles one request target (path and query as received).
  TPageResponse HandleRequest(std::string_view target) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> fImpl;
  TMimeTable fMime;
  TViewerLog* fLog;
  std::atomic<int> fPort{0};
  mutable std::mutex fLock;  // guards fBook and fPrefix
  std::shared_ptr<const TQzLzhArchive> fBook;
  std::u16string fPrefix;
};

}  // namespace bookloom
