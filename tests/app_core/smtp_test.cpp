// The SMTP client against a real SMTP server (aiosmtpd) and against small
// scripted servers that fail in the ways mail servers do.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <nlohmann/json.hpp>

#include "core/app_config.h"
#include "core/email_address.h"
#include "core/smtp_client.h"
#include "core/texts.h"
#include "test_support.h"

namespace {

using appcore::AppConfig;
using apptest::ReadFile;

AppConfig MailConfig(int port, std::vector<std::string> recipients) {
  AppConfig c;
  appcore::SetConfigDefaults(&c);
  for (size_t i = 0; i < recipients.size(); ++i)
    appcore::CopyField(c.recipients[i], appcore::kAddressSize, recipients[i]);
  appcore::CopyField(c.fromAddress, appcore::kAddressSize, "watch@example.org");
  appcore::CopyField(c.smtpServer, appcore::kAddressSize, "127.0.0.1");
  c.smtpPort = static_cast<uint32_t>(port);
  return c;
}

std::vector<nlohmann::json> Received(const std::string& path) {
  std::vector<nlohmann::json> out;
  std::string all = ReadFile(path);
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\n', start);
    out.push_back(nlohmann::json::parse(all.substr(start, end - start)));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return out;
}

class SmtpTest : public ::testing::Test {
 protected:
  void SetUp() override { apptest::LoadStrings(); }
  apptest::TempDir dir;
  apptest::RecordingSink sink;
};

TEST_F(SmtpTest, RealServerReceivesHeadersRecipientsAndStuffedBody) {
  std::string out = dir.File("mail.jsonl");
  apptest::SmtpServer server("aiosmtpd", out);
  AppConfig config = MailConfig(server.port(), {"a@example.org", "b@example.net"});
  std::wstring subject = L"Disk alert";
  // A line holding only "." must not end the message; ".hidden" keeps its dot.
  std::wstring body = L"first line\r\n.\r\n.hidden\r\nlast line";
  apptest::RecordingProgress progress;
  EXPECT_EQ(appcore::SendMailMessage(config, &subject, &body, true, &progress), 0);

  auto mails = Received(out);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0]["mail_from"], "watch@example.org");
  EXPECT_EQ(mails[0]["rcpt_tos"], nlohmann::json::array({"a@example.org", "b@example.net"}));
  std::string data = mails[0]["data"];
  EXPECT_NE(data.find("From:  <watch@example.org>\r\n"), std::string::npos) << data;
  EXPECT_NE(data.find("To: <a@example.org>,<b@example.net>\r\n"), std::string::npos) << data;
  EXPECT_NE(data.find("Subject: Disk alert\r\n\r\n"), std::string::npos) << data;
  EXPECT_NE(data.find("first line\r\n.\r\n.hidden\r\nlast line\r\n"), std::string::npos) << data;

  EXPECT_TRUE(sink.shown.empty());
  EXPECT_TRUE(progress.shown.empty());
  EXPECT_EQ(progress.status, appcore::LocText(sw::MISC_SUCCESS_TEST_EMAIL));
  EXPECT_EQ(progress.range, 170);
  ASSERT_FALSE(progress.positions.empty());
  EXPECT_EQ(progress.positions.back(), 170);
  EXPECT_EQ(progress.visibility, (std::vector<bool>{true, false}));
}

TEST_F(SmtpTest, RealServerWithAuthLogin) {
  std::string out = dir.File("mail.jsonl");
  apptest::SmtpServer server("aiosmtpd-auth", out);
  AppConfig config = MailConfig(server.port(), {"ops@example.org"});
  config.smtpAuth = 1;
  appcore::CopyField(config.smtpUser, appcore::kAddressSize, "alert");
  appcore::CopyField(config.smtpPassword, appcore::kAddressSize, "s3cret!");
  std::wstring subject = L"s";
  std::wstring body = L"b";
  EXPECT_EQ(appcore::SendMailMessage(config, &subject, &body, false, nullptr), 0);
  ASSERT_EQ(Received(out).size(), 1u);
  EXPECT_TRUE(sink.shown.empty());

  // Wrong password: the server's 535 becomes the authentication message.
  appcore::CopyField(config.smtpPassword, appcore::kAddressSize, "wrong");
  EXPECT_EQ(appcore::SendMailMessage(config, &subject, &body, false, nullptr), 0);
  EXPECT_EQ(Received(out).size(), 1u);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, appcore::LocFormat(sw::ERROR_SEND_TEST_AUTHENTICATION_FAILED, 535));
}

TEST_F(SmtpTest, LongBodyGoesOutInPiecesOf998) {
  std::string out = dir.File("mail.jsonl");
  apptest::SmtpServer server("aiosmtpd", out);
  AppConfig config = MailConfig(server.port(), {"a@example.org"});
  std::wstring subject = L"long";
  std::wstring body(2500, L'x');
  EXPECT_EQ(appcore::SendMailMessage(config, &subject, &body, false, nullptr), 0);
  auto mails = Received(out);
  ASSERT_EQ(mails.size(), 1u);
  std::string expected = std::string(998, 'x') + "\r\n" + std::string(998, 'x') + "\r\n" +
                         std::string(504, 'x') + "\r\n";
  std::string data = mails[0]["data"];
  EXPECT_NE(data.find("\r\n\r\n" + expected), std::string::npos);

  auto pieces = appcore::EncodeMailBody(body);
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[2].size(), 506u);
}

struct FailureCase {
  const char* mode;
  sw::AppKey key;
  int code;
  int recipients;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.mode; }

class SmtpFailureTest : public SmtpTest, public ::testing::WithParamInterface<FailureCase> {};

// Each broken server gives its own message and the program goes on.
TEST_P(SmtpFailureTest, GivesTheMatchingMessage) {
  const FailureCase& c = GetParam();
  std::string out = dir.File("log.txt");
  apptest::SmtpServer server(c.mode, out);
  std::vector<std::string> to = {"a@example.org", "b@example.org", "c@example.org"};
  to.resize(static_cast<size_t>(c.recipients));
  AppConfig config = MailConfig(server.port(), to);
  if (std::string(c.mode) == "auth535") {
    config.smtpAuth = 1;
    appcore::CopyField(config.smtpUser, appcore::kAddressSize, "u");
    appcore::CopyField(config.smtpPassword, appcore::kAddressSize, "p");
  }
  std::wstring subject = L"s";
  std::wstring body = L"b";
  apptest::RecordingProgress progress;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(appcore::SendMailMessage(config, &subject, &body, true, &progress), 0);
  auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                     std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 30);
  ASSERT_EQ(progress.shown.size(), 1u);
  EXPECT_EQ(progress.shown[0].text, appcore::LocFormat(c.key, c.code));
  EXPECT_EQ(progress.shown[0].title, appcore::LocText(sw::MB_TITLE_SEND_TEST_EMAIL_ERROR));
  EXPECT_EQ(progress.status, appcore::LocText(sw::ERROR_SENDING_TEST_EMAIL2));
  EXPECT_FALSE(progress.visibility.back());
}

INSTANTIATE_TEST_SUITE_P(
    Servers, SmtpFailureTest,
    ::testing::Values(
        FailureCase{"greet421", sw::ERROR_SEND_TEST_SMTP_UNAVAILABLE, 421, 1},
        FailureCase{"mail530", sw::ERROR_SEND_TEST_ACCESS_DENIED, 530, 1},
        FailureCase{"auth535", sw::ERROR_SEND_TEST_AUTHENTICATION_FAILED, 535, 1},
        FailureCase{"rcpt550", sw::ERROR_SEND_TEST_MAILBOX_UNAVAIABLE, 550, 3},
        FailureCase{"silent", sw::ERROR_SEND_TEST_TIMEOUT, appcore::kSocketTimeout, 1},
        FailureCase{"drip", sw::ERROR_SEND_TEST_TIMEOUT, appcore::kSocketTimeout, 1},
        FailureCase{"close", sw::ERROR_SENDING_TEST_EMAIL, ECONNRESET, 1}),
    [](const auto& info) { return std::string(info.param.mode); });

TEST_F(SmtpTest, RefusedRecipientStillSendsTheRestButNoData) {
  std::string out = dir.File("log.txt");
  {
    apptest::SmtpServer server("rcpt550", out);
    AppConfig config = MailConfig(server.port(), {"a@x.org", "b@x.org", "c@x.org"});
    std::wstring subject = L"s";
    std::wstring body = L"b";
    appcore::SendMailMessage(config, &subject, &body, false, nullptr);
  }
  std::string log = ReadFile(out);
  EXPECT_NE(log.find("RCPT TO:<c@x.org>"), std::string::npos) << log;
  EXPECT_EQ(log.find("DATA"), std::string::npos) << log;
}

TEST_F(SmtpTest, NoServerGivesUpBeforeTheDialogue) {
  AppConfig config = MailConfig(1, {"a@example.org"});
  appcore::CopyField(config.smtpServer, appcore::kAddressSize, "no-such-host.invalid");
  std::wstring subject = L"s";
  std::wstring body = L"b";
  apptest::RecordingProgress progress;
  EXPECT_EQ(appcore::SendMailMessage(config, &subject, &body, true, &progress), 1);
  ASSERT_EQ(progress.shown.size(), 1u);
  EXPECT_EQ(progress.shown[0].text,
            appcore::LocFormat(sw::ERROR_CANNOT_FIND_SMTP_SERVER, "no-such-host.invalid"));
  // Nothing listens on a closed loopback port: connection refused.
  appcore::CopyField(config.smtpServer, appcore::kAddressSize, "127.0.0.1");
  EXPECT_EQ(appcore::SendMailMessage(config, &subject, &body, false, &progress), 1);
  EXPECT_EQ(progress.shown.size(), 1u);  // an alert shows no box here
  EXPECT_EQ(progress.status, appcore::LocFormat(sw::ERROR_CANNOT_CONNECT_MAIL_SERVER, ECONNREFUSED));
  EXPECT_EQ(appcore::SendMailMessage(config, nullptr, &body, false, nullptr), 1);
}

TEST_F(SmtpTest, PortBeyondSixteenBitsIsNotWrappedRound) {
  std::string out = dir.File("log.txt");
  apptest::SmtpServer server("rcpt550", out);
  AppConfig config = MailConfig(server.port() + 65536, {"a@example.org"});
  std::wstring subject = L"s";
  std::wstring body = L"b";
  apptest::RecordingProgress progress;
  EXPECT_EQ(appcore::SendMailMessage(config, &subject, &body, true, &progress), 1);
  ASSERT_EQ(progress.shown.size(), 1u);
  EXPECT_EQ(progress.shown[0].text, appcore::LocFormat(sw::ERROR_CANNOT_CONNECT_MAIL_SERVER, EINVAL));
  EXPECT_EQ(ReadFile(out), "");  // the server on the wrapped port heard nothing
}

TEST(SmtpPieces, ReplyCodeAndBase64) {
  EXPECT_EQ(appcore::CheckSmtpReply("250 ok\r\n", 250, "x", nullptr), 0);
  EXPECT_EQ(appcore::CheckSmtpReply("354 go\r\n", 250, "x", nullptr), 354);
  EXPECT_NE(appcore::CheckSmtpReply("", 250, "x", nullptr), 0);
  EXPECT_NE(appcore::CheckSmtpReply("000", 250, "x", nullptr), 0);
  EXPECT_EQ(appcore::Base64Encode("alert"), "YWxlcnQ=");
  EXPECT_EQ(appcore::Base64Encode("s3cret!"), "czNjcmV0IQ==");
  EXPECT_EQ(appcore::Base64Encode("abc"), "YWJj");
  EXPECT_EQ(appcore::CheckSocketResult(5, "send", 0), 0);
  EXPECT_EQ(appcore::CheckSocketResult(-1, "recv", appcore::kSocketTimeout),
            appcore::kSocketTimeout);
}

TEST(EmailAddress, Rules) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {nullptr, 1},          {"", 2},          {"plain", 3},          {"@example.org", 4},
      {"a@example", 5},      {"a.b@example", 5}, {"a@", 5},           {"a@b.c", 0},
      {"A@B@C.D", 0},        {"a@.", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(appcore::IsValidEmailAddress(c.text), c.expected) << (c.text ? c.text : "null");
}

}  // namespace
