// The error-report form: the file it writes and what follows the upload.
#include "ReportFixture.h"

#include <QFileInfo>

namespace fyn::test {
namespace {

using platform::Buttons;
using platform::Icon;

// The head of every report for the fixture's state, in Windows-1252.
const QByteArray kHead = "Systemrapporterat fel = Type mismatch\r\n"
                         "Datum = 2026-12-09, Tidpunkt = 07:05:09\r\n"
                         "\r\n"
                         "Anv\xe4ndare = \xc5sa\r\n"
                         "\r\n"
                         "Installationsdatum = 2025-03-01\r\n"
                         "\r\n";
const QByteArray kNoMessage = "Inget meddelande fr\xe5n anv\xe4ndaren !\r\n";
const QByteArray kDataHead = "\r\n"
                             "Data samlade vid felk\xe4llan: \r\n"
                             "\r\n";

struct ReportCase {
    const char* name;
    QString message; // typed; "\n" is the Return key
    QString felDump;
    QByteArray expected;
};

void PrintTo(const ReportCase& c, std::ostream* os) {
    *os << c.name;
}

class ReportBytes : public ReportFixture, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(ReportBytes, WrittenAndSentUnderTheTimeStampedName) {
    const ReportCase& c = GetParam();
    Module1.FelDump = c.felDump;

    send(c.message);

    ASSERT_EQ(fakes.ftp->calls.size(), 1u);
    const platform::testing::FtpCall& call = fakes.ftp->calls[0];
    EXPECT_EQ(call.bytes, c.expected);
    EXPECT_EQ(call.remoteName, reportName);
    EXPECT_EQ(QFileInfo(call.localPath).absoluteFilePath(),
              QDir(dir.path()).absoluteFilePath(reportName));
    EXPECT_EQ(Module1.FelRapportPath, reportName);
}

const QString kSep = QString(QChar(0xA6));

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportBytes,
    ::testing::Values(ReportCase{"NothingTypedEmptyDump", QString(), QString(),
                                 kHead + kNoMessage + kDataHead + "\r\n"},
                      // Blanks alone are no message; a dump without separators is one line.
                      ReportCase{"BlanksOnly", QStringLiteral("   "), QStringLiteral("Form_Load"),
                                 kHead + kNoMessage + kDataHead + "Form_Load\r\n"},
                      // The message keeps its blanks, empty lines and breaks (as CR LF); each
                      // dump piece gets a line and a trailing separator an empty last line.
                      // "€" tells Windows-1252 from Latin-1.
                      ReportCase{"MessageOnSeveralLines",
                                 QStringLiteral("  Sparade en post\n\nsedan hände det  "),
                                 QStringLiteral("Form_Load") + kSep +
                                     QStringLiteral("Belopp = 12 €") + kSep +
                                     QStringLiteral("Konto = Mat & hushåll") + kSep,
                                 kHead +
                                     "Meddelande fr\xe5n anv\xe4ndaren:\r\n"
                                     "\r\n"
                                     "  Sparade en post\r\n"
                                     "\r\n"
                                     "sedan h\xe4nde det  \r\n" +
                                     kDataHead +
                                     "Form_Load\r\n"
                                     "Belopp = 12 \x80\r\n"
                                     "Konto = Mat & hush\xe5ll\r\n"
                                     "\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

using RappFormTest = ReportFixture;

TEST_F(RappFormTest, SentReportIsDeletedAndTheUserThanked) {
    send(QStringLiteral("Det hängde sig"));

    ASSERT_EQ(fakes.ftp->calls.size(), 1u);
    const platform::FtpTarget& login = fakes.ftp->calls[0].target;
    EXPECT_EQ(login.host, QStringLiteral("ftp.example.invalid"));
    EXPECT_EQ(login.port, 2121);
    EXPECT_EQ(login.user, QStringLiteral("Rq2wLx7Tz9"));
    EXPECT_EQ(login.password, QStringLiteral("Vb4nHs8Mk3"));

    EXPECT_EQ(leftInFolder(), QStringList());
    ASSERT_EQ(fakes.messages->calls.size(), 2u); // the failure's box, then the thanks
    const auto& thanks = fakes.messages->calls[1];
    EXPECT_EQ(thanks.buttons, Buttons::Ok);
    EXPECT_EQ(thanks.icon, Icon::Information);
    EXPECT_EQ(thanks.title, QStringLiteral("Skickad felrapport"));
    EXPECT_TRUE(thanks.text.startsWith(QStringLiteral("Felrapporten har nu skickats !")))
        << thanks.text.toStdString();
}

struct UnsentCase {
    const char* name;
    platform::FtpFailure why;
    const char* reason; // the first words after the heading
};

void PrintTo(const UnsentCase& c, std::ostream* os) {
    *os << c.name;
}

class Unsent : public ReportFixture, public ::testing::WithParamInterface<UnsentCase> {};

// A report that did not go is told in Swedish, with its cause, and stays whole
// where the user is told it is, with a road the user can take; no promise of
// a later sending, which the program has no way to do.
TEST_P(Unsent, ReportIsKeptWholeAndTheCauseAndItsPlaceTold) {
    fakes.ftp->result = {false, QStringLiteral("Access denied: 530"), GetParam().why};
    Module1.FelDump = QStringLiteral("Form_Load") + kSep + QStringLiteral("Nivå = 3");

    send(QStringLiteral("Det hängde sig"));

    ASSERT_EQ(fakes.ftp->calls.size(), 1u);
    const QString fullPath = QDir(dir.path()).absoluteFilePath(reportName);
    EXPECT_EQ(leftInFolder(), QStringList{reportName});
    EXPECT_EQ(readFile(fullPath), fakes.ftp->calls[0].bytes);
    EXPECT_TRUE(readFile(fullPath).startsWith(kHead));
    EXPECT_TRUE(readFile(fullPath).endsWith(kDataHead + "Form_Load\r\nNiv\xe5 = 3\r\n"));
    ASSERT_EQ(fakes.messages->calls.size(), 2u);
    const auto& warning = fakes.messages->calls[1];
    EXPECT_EQ(warning.buttons, Buttons::Ok);
    EXPECT_EQ(warning.icon, Icon::Warning);
    EXPECT_EQ(warning.title, QStringLiteral("Felrapporten skickades inte"));
    EXPECT_EQ(warning.text,
              QStringLiteral("Felrapporten kunde inte skickas !\n\n") +
                  QString::fromUtf8(GetParam().reason) +
                  QStringLiteral("\n\nRapporten finns sparad, hel, i filen\n") + fullPath +
                  QStringLiteral("\n\nVill du ändå att den kommer fram, kan du skicka filen som "
                                 "bilaga i ett e-brev till moxel@fynlar.se."));
    EXPECT_FALSE(warning.text.contains(QStringLiteral("Access denied")));
}

INSTANTIATE_TEST_SUITE_P(
    Causes, Unsent,
    ::testing::Values(
        UnsentCase{"LoginRefused", platform::FtpFailure::LoginRefused,
                   "Servern för felrapporter godtog inte programmets inloggning."},
        UnsentCase{"Unreachable", platform::FtpFailure::Unreachable,
                   "Servern för felrapporter gick inte att nå. Datorn kan sakna förbindelse med "
                   "Internet, eller servern vara ur drift just nu."},
        UnsentCase{"ConnectionBroken", platform::FtpFailure::ConnectionBroken,
                   "Förbindelsen med servern för felrapporter bröts innan rapporten hade kommit "
                   "fram."},
        UnsentCase{"FileUnreadable", platform::FtpFailure::FileUnreadable,
                   "Rapportfilen gick inte att läsa när den skulle skickas."},
        UnsentCase{"FileRefused", platform::FtpFailure::FileRefused,
                   "Servern för felrapporter tog emot inloggningen men inte rapportfilen."},
        UnsentCase{"Other", platform::FtpFailure::Other,
                   "Överföringen till servern för felrapporter misslyckades."}),
    [](const auto& info) { return std::string(info.param.name); });

struct CancelCase {
    const char* name;
    void (*close)(QDialog& form);
};

void PrintTo(const CancelCase& c, std::ostream* os) {
    *os << c.name;
}

class Cancel : public ReportFixture, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(Cancel, WritesNothingAndKeepsTheLastReportPath) {
    Module1.FelRapportPath = QStringLiteral("FelRapport_Fynlar20261208230000");

    reportWith([](QDialog& form) {
        auto& text = child<QPlainTextEdit>(form, "Text1");
        type(text, QStringLiteral("Ångrar mig"));
        GetParam().close(form);
    });

    EXPECT_EQ(leftInFolder(), QStringList());
    EXPECT_TRUE(fakes.ftp->calls.empty());
    EXPECT_EQ(fakes.messages->calls.size(), 1u); // only the failure's box
    EXPECT_EQ(Module1.FelRapportPath, QStringLiteral("FelRapport_Fynlar20261208230000"));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, Cancel,
    ::testing::Values(CancelCase{"Avbryt",
                                 [](QDialog& f) { child<QPushButton>(f, "Command2").click(); }},
                      CancelCase{"CloseBox", [](QDialog& f) { f.close(); }},
                      CancelCase{"Escape",
                                 [](QDialog& f) {
                                     QTest::keyClick(&child<QPlainTextEdit>(f, "Text1"),
                                                     Qt::Key_Escape);
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace fyn::test
