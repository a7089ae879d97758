// The upload through libcurl, against an FTP server of our own on the loopback.
#include "ReportFixture.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace fyn::test {
namespace {

// pyftpdlib on 127.0.0.1, on a port the system picks; prints the port, then serves.
// A refused login is answered at once rather than after the usual pause.
const char* const kServer = R"(
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
users = DummyAuthorizer()
users.add_user(sys.argv[1], sys.argv[2], sys.argv[3], perm="elradfmwMT")
class Handler(FTPHandler):
    authorizer = users
    auth_failed_timeout = 0
server = FTPServer(("127.0.0.1", 0), Handler)
print(server.socket.getsockname()[1], flush=True)
server.serve_forever()
)";

const QString kUser = QStringLiteral("Rq2wLx7Tz9");
const QString kPassword = QStringLiteral("Vb4nHs8Mk3");
constexpr int kWaitMs = 10000;

class FtpUpload : public ReportFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(serverRoot.isValid());
        server.setProgram(QStringLiteral(FYN_PYTHON3));
        server.setArguments({QStringLiteral("-c"), QString::fromUtf8(kServer), kUser,
                             serverPassword, serverRoot.path()});
        server.setStandardErrorFile(serverLog());
        server.start();
        ASSERT_TRUE(server.waitForStarted(kWaitMs)) << server.errorString().toStdString();
        QByteArray out;
        while (!out.contains('\n') && server.waitForReadyRead(kWaitMs))
            out += server.readAllStandardOutput();
        bool number = false;
        port = out.trimmed().toInt(&number);
        ASSERT_TRUE(number) << "no FTP server (apt-get install python3-pyftpdlib):\n"
                            << readFile(serverLog()).toStdString();
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, quint16(port));
        ASSERT_TRUE(probe.waitForConnected(kWaitMs)) << probe.errorString().toStdString();
    }
    void TearDown() override {
        server.kill();
        server.waitForFinished(kWaitMs);
    }

    QString serverLog() const { return path(QStringLiteral("FynData/ftpserver.log")); }
    QString arrived(const QString& name) const { return serverRoot.filePath(name); }

    // The report's login against our server, with short waits.
    platform::FtpTarget login() const {
        platform::FtpTarget t = FtpLogin();
        t.host = QStringLiteral("127.0.0.1");
        t.port = port;
        t.connectTimeoutSeconds = 5;
        t.responseTimeoutSeconds = 10;
        return t;
    }

    // Points the report form at our server.
    void useOurServer(int atPort) {
        platform::setFtp(platform::makeCurlFtp());
        platform::authorServer().ftpHost = QStringLiteral("127.0.0.1");
        platform::authorServer().ftpPort = atPort;
    }

    QString serverPassword = kPassword;
    QTemporaryDir serverRoot;
    QProcess server;
    int port = 0;
};

// The report as the fixture's failure and the message "Rad ett" make it.
const QByteArray kReport = "Systemrapporterat fel = Type mismatch\r\n"
                           "Datum = 2026-12-09, Tidpunkt = 07:05:09\r\n"
                           "\r\n"
                           "Anv\xe4ndare = \xc5sa\r\n"
                           "\r\n"
                           "Installationsdatum = 2025-03-01\r\n"
                           "\r\n"
                           "Meddelande fr\xe5n anv\xe4ndaren:\r\n"
                           "\r\n"
                           "Rad ett\r\n"
                           "\r\n"
                           "Data samlade vid felk\xe4llan: \r\n"
                           "\r\n"
                           "Form_Load\r\n";

TEST_F(FtpUpload, ReportFromTheFormArrivesByteForByte) {
    platform::setFtp(platform::makeCurlFtp());
    platform::authorServer().ftpHost = QStringLiteral("127.0.0.1");
    platform::authorServer().ftpPort = port;
    Module1.FelDump = QStringLiteral("Form_Load") + QChar(0xA6) + QStringLiteral("Nivå = 3");

    send(QStringLiteral("Rad ett\nrad två"));

    // CR LF and the bytes above 127 come through untouched: a binary transfer.
    EXPECT_EQ(readFile(arrived(reportName)),
              QByteArray("Systemrapporterat fel = Type mismatch\r\n"
                         "Datum = 2026-12-09, Tidpunkt = 07:05:09\r\n"
                         "\r\n"
                         "Anv\xe4ndare = \xc5sa\r\n"
                         "\r\n"
                         "Installationsdatum = 2025-03-01\r\n"
                         "\r\n"
                         "Meddelande fr\xe5n anv\xe4ndaren:\r\n"
                         "\r\n"
                         "Rad ett\r\n"
                         "rad tv\xe5\r\n"
                         "\r\n"
                         "Data samlade vid felk\xe4llan: \r\n"
                         "\r\n"
                         "Form_Load\r\n"
                         "Niv\xe5 = 3\r\n"));
    EXPECT_EQ(leftInFolder(), QStringList());
    ASSERT_EQ(fakes.messages->calls.size(), 2u);
    EXPECT_EQ(fakes.messages->calls[1].title, QStringLiteral("Skickad felrapport"));
}

struct FailureCase {
    const char* name;
    // Spoils one thing of an upload that would otherwise succeed.
    void (*spoil)(platform::FtpTarget& target, QString& localPath);
    platform::FtpFailure why;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class FtpFailure : public FtpUpload, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FtpFailure, FailsWithAReason) {
    const QString name = QStringLiteral("rapport");
    writeFile(path(name), "data\r\n");
    const std::unique_ptr<platform::Ftp> ftp = platform::makeCurlFtp();
    platform::FtpTarget target = login();
    QString localPath = path(name);
    GetParam().spoil(target, localPath);

    const platform::FtpResult result = ftp->putFile(target, localPath, name);

    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(result.why, GetParam().why) << result.error.toStdString();
    // Unspoiled, the same upload goes through: the failure came from the spoil.
    const platform::FtpResult sound = ftp->putFile(login(), path(name), name);
    EXPECT_TRUE(sound.ok) << sound.error.toStdString();
    EXPECT_EQ(readFile(arrived(name)), QByteArray("data\r\n"));
}

// A port that nobody listens on: taken from the system, then let go.
int closedPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 1;
    return probe.serverPort();
}

INSTANTIATE_TEST_SUITE_P(
    Causes, FtpFailure,
    ::testing::Values(
        FailureCase{"WrongPassword",
                    [](platform::FtpTarget& t, QString&) { t.password = QStringLiteral("fel"); },
                    platform::FtpFailure::LoginRefused},
        FailureCase{"NoServer", [](platform::FtpTarget& t, QString&) { t.port = closedPort(); },
                    platform::FtpFailure::Unreachable},
        FailureCase{"NoLocalFile",
                    [](platform::FtpTarget&, QString& p) { p += QStringLiteral(".saknas"); },
                    platform::FtpFailure::FileUnreadable},
        // Opens, but reading fails at the first byte: no cut report may pass as sent.
        FailureCase{"ReadError",
                    [](platform::FtpTarget&, QString& p) { p = QStringLiteral("/proc/self/mem"); },
                    platform::FtpFailure::FileUnreadable}),
    [](const auto& info) { return std::string(info.param.name); });

// A server that does not know the program's password.
class FtpRefusingLogin : public FtpUpload {
protected:
    FtpRefusingLogin() { serverPassword = QStringLiteral("annat"); }
};

// The server refuses the login, or there is no server: the user reads why in
// Swedish, and the report stays whole where the message says.
TEST_F(FtpRefusingLogin, ARefusedLoginIsToldAndTheReportKeptWhole) {
    useOurServer(port);
    Module1.FelDump = QStringLiteral("Form_Load");
    send(QStringLiteral("Rad ett"));

    EXPECT_EQ(readFile(path(reportName)), kReport);
    EXPECT_FALSE(QFileInfo::exists(arrived(reportName)));
    ASSERT_EQ(fakes.messages->calls.size(), 2u);
    const QString text = fakes.messages->calls[1].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Felrapporten kunde inte skickas !\n\nServern för "
                                               "felrapporter godtog inte programmets inloggning.")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Rapporten finns sparad, hel, i filen\n") +
                              QDir(dir.path()).absoluteFilePath(reportName)))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Access denied")) || text.contains("530"));
}

TEST_F(FtpUpload, AServerThatCannotBeReachedIsToldAndTheReportKeptWhole) {
    useOurServer(closedPort());
    Module1.FelDump = QStringLiteral("Form_Load");
    send(QStringLiteral("Rad ett"));

    EXPECT_EQ(readFile(path(reportName)), kReport);
    ASSERT_EQ(fakes.messages->calls.size(), 2u);
    const QString text = fakes.messages->calls[1].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Felrapporten kunde inte skickas !\n\nServern för "
                                               "felrapporter gick inte att nå.")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QDir(dir.path()).absoluteFilePath(reportName)));
}

} // namespace
} // namespace fyn::test
