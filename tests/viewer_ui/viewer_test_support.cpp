#include "viewer_test_support.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest/QTest>

#include "book_writer.h"

namespace viewertest {

QString RunFolder() { return qEnvironmentVariable("XDG_RUNTIME_DIR"); }

QString WriteBook(const QString& fileName, const std::map<std::u16string, std::string>& pages,
                  const std::vector<std::u16string>& system, const std::vector<std::u16string>& map) {
  std::vector<bookloom::TBookEntry> entries;
  for (const auto& [name, text] : pages) {
    bookloom::TBookEntry e;
    e.name = name;
    e.data.assign(text.begin(), text.end());
    entries.push_back(std::move(e));
  }
  auto addSystem = [&](const char16_t* name, const std::vector<std::u16string>& lines) {
    if (lines.empty()) return;
    bookloom::TBookEntry e;
    e.name = name;
    e.data = bookloom::EncodeSystemText(lines, 200);
    entries.push_back(std::move(e));
  };
  addSystem(u"#SYSTEM", system);
  addSystem(u"#MAP", map);
  const bookloom::TBytes bytes = bookloom::BuildContainer(std::move(entries));
  const QString path = RunFolder() + u'/' + fileName;
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return {};
  f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
  return path;
}

bool WaitForPage(bookloom::TFrmViewerMain* form, const QString& suffix, int timeoutMs) {
  QWebEngineView* view = form->Browser();
  bool done = false;
  auto check = [&] {
    const QString url = view->url().toString();
    return url.startsWith(form->BaseURL()) && url.endsWith(suffix);
  };
  QMetaObject::Connection c = QObject::connect(view, &QWebEngineView::loadFinished, [&](bool ok) {
    if (ok && check()) done = true;
  });
  // Already there (loaded before the wait began)?
  if (check() && !view->page()->isLoading()) done = true;
  const bool ok = QTest::qWaitFor([&] { return done; }, timeoutMs);
  QObject::disconnect(c);
  return ok;
}

QVariant RunScript(bookloom::TFrmViewerMain* form, const QString& script, int timeoutMs) {
  QVariant result;
  bool done = false;
  form->Browser()->page()->runJavaScript(script, [&](const QVariant& v) {
    result = v;
    done = true;
  });
  if (!QTest::qWaitFor([&] { return done; }, timeoutMs)) return QVariant();
  return result;
}

bool WaitForScript(bookloom::TFrmViewerMain* form, const QString& script, const QVariant& want,
                   int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < timeoutMs) {
    if (RunScript(form, script) == want) return true;
    QTest::qWait(100);
  }
  return false;
}

}  // namespace viewertest
