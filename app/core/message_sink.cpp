#include "core/message_sink.h"

#include <atomic>
#include <cstdio>

#include "common/text.h"
#include "core/debug_log.h"

namespace appcore {
namespace {

ConsoleMessageSink g_console;
std::atomic<MessageSink*> g_sink{nullptr};

}  // namespace

MessageAnswer ConsoleMessageSink::Show(const std::wstring& text, const std::wstring& title,
                                       MessageIcon, MessageButtons) {
  std::string line = common::ToUtf8(title.empty() ? text : title + L": " + text);
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  WriteDebugLog(title.empty() ? text : title + L": " + text);
  return MessageAnswer::Ok;
}

MessageSink& Messages() {
  MessageSink* sink = g_sink.load();
  return sink != nullptr ? *sink : g_console;
}

void SetMessageSink(MessageSink* sink) { g_sink.store(sink); }

}  // namespace appcore
