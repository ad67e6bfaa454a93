// The disk checker's Help command against the packaged help viewer: the
// launcher starts bin/Help/Spindlewatch_Help with "index.html?<topic>",
// and the running viewer of that executable shows the topic.
#include <QFileInfo>
#include <QPointer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/help_launcher.h"
#include "viewer_test_support.h"

using namespace viewertest;

TEST(ViewerHelpLaunch, HelpCommandShowsTheTopicInTheViewer) {
  const QString viewer = QStringLiteral(SW_HELP_VIEWER);
  // The program folder of the disk checker is the folder holding Help/.
  appcore::State().programDirectory = QFileInfo(QFileInfo(viewer).absolutePath()).absolutePath().toStdWString();
  ASSERT_EQ(appcore::HelpViewerPath(), viewer.toStdWString());

  QPointer<bookloom::TFrmViewerMain> form = new bookloom::TFrmViewerMain({viewer, {}});
  ASSERT_TRUE(form->CanStart);
  form->ShowForm();
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/index.html")));
  ASSERT_EQ(appcore::OpenHelpTopic(L"hid_overview.htm"), 0);
  EXPECT_TRUE(WaitForPage(form, QStringLiteral("/index.html?hid_overview.htm")));
  EXPECT_TRUE(WaitForScript(form, QStringLiteral("document.getElementById('topic').contentDocument.title"),
                            QStringLiteral("Overview")));
  delete form.data();
}
