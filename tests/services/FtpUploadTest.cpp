// The upload through libcurl, against an FTP server of our own on the loopback.
#include "ReportFixture.h"

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
        server.setArguments({QStringLiteral("-c"), QString::fromUtf8(kServer), kUser, kPassword,
                             serverRoot.path()});
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

    QTemporaryDir serverRoot;
    QProcess server;
    int port = 0;
};

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
                    [](platform::FtpTarget& t, QString&) { t.password = QStringLiteral("fel"); }},
        FailureCase{"NoServer", [](platform::FtpTarget& t, QString&) { t.port = closedPort(); }},
        FailureCase{"NoLocalFile",
                    [](platform::FtpTarget&, QString& p) { p += QStringLiteral(".saknas"); }},
        // Opens, but reading fails at the first byte: no cut report may pass as sent.
        FailureCase{"ReadError", [](platform::FtpTarget&,
                                    QString& p) { p = QStringLiteral("/proc/self/mem"); }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace fyn::test
