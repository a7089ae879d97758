#pragma once
// The services the program needs from the desktop. Each is a small interface with
// a real implementation (installed by main) and a test double (platform/testing).

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <functional>
#include <memory>
#include <vector>

class QDialog;

namespace platform {

// ---- Message boxes -------------------------------------------------------
enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Icon { None, Information, Warning };
enum class Answer { Ok, Yes, No, Cancel };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual Answer show(const QString& text, Buttons buttons, Icon icon, const QString& title) = 0;
};

// ---- Modal dialogs (the input box, the error report) ---------------------
// Shows a dialog modally and returns when it has hidden itself.
class ModalHost {
public:
    virtual ~ModalHost() = default;
    virtual void runModal(QDialog& dialog) = 0;
};

// ---- Clock -----------------------------------------------------------------
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() = 0;
    virtual QTime timeOfDay() = 0;
    // The date and the time of day from one reading, so that midnight cannot
    // fall between them. A double whose clock moves only when told may keep
    // this default.
    virtual QDateTime now() { return QDateTime(today(), timeOfDay()); }
    // Seconds since midnight, with fractions (wraps to 0 at midnight).
    virtual double secondsSinceMidnight() = 0;
    // Seconds on a clock that never goes back.
    virtual double monotonicSeconds() = 0;
    // Lets pending window events run once (used while waiting).
    virtual void processEvents() = 0;
};

// ---- Drives ----------------------------------------------------------------
// The kinds of drive, numbered as the system numbers them.
enum class DriveType { Removable = 2, Fixed = 3, Network = 4, CdRom = 5 };

struct DriveInfo {
    QString root; // with a trailing "/"
    DriveType type = DriveType::Fixed;
    bool ready = false; // mounted and readable
    bool operator==(const DriveInfo&) const = default;
};

class Drives {
public:
    virtual ~Drives() = default;
    // The drive root (with a trailing "/") for a program started in startFolder.
    virtual QString driveRoot(const QString& startFolder) = 0;
    // The drives a user would see, in order: the drive root's own as a fixed
    // drive, then the other mounted file systems (no pseudo, temporary or
    // system ones).
    virtual std::vector<DriveInfo> list(const QString& driveRoot) = 0;
};

// The drives of a mount table (the text of /proc/self/mounts); removable tells
// whether a block device is a removable one.
std::vector<DriveInfo> drivesFromMounts(const QByteArray& mounts, const QString& driveRoot,
                                        const std::function<bool(const QString&)>& removable);

// ---- Help --------------------------------------------------------------------
// The program's help: one page a context number.
class Help {
public:
    virtual ~Help() = default;
    // Opens the topic; a missing page is passed over.
    virtual void showContext(int contextId) = 0;
};

// ---- Shell -------------------------------------------------------------------
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a web address in the desktop's browser; a failure is passed over.
    virtual void openUrl(const QString& url) = 0;
};

// ---- FTP -------------------------------------------------------------------
struct FtpTarget {
    QString host;
    int port = 21;
    QString user;
    QString password;
    int connectTimeoutSeconds = 20;
    int responseTimeoutSeconds = 30;
};

// Why an upload failed, as the user can be told it.
enum class FtpFailure {
    None,
    LoginRefused,     // the server refused the login
    Unreachable,      // no server answered: no network, a wrong address, a server down
    ConnectionBroken, // the connection broke, or stalled, after the server answered
    FileUnreadable,   // the local file could not be read
    FileRefused,      // the server took the login but not the file
    Other,
};

struct FtpResult {
    bool ok = false;
    QString error; // the transfer's own words, for a log; empty when ok
    FtpFailure why = FtpFailure::None;
};

class Ftp {
public:
    virtual ~Ftp() = default;
    // Passive, binary upload of localPath as remoteName in the login folder.
    virtual FtpResult putFile(const FtpTarget& target, const QString& localPath,
                              const QString& remoteName) = 0;
};

// ---- Ending the program at once ---------------------------------------------
class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    [[noreturn]] virtual void endNow() = 0;
};

// The author's servers; one place, overridable by tests so they never reach them.
struct AuthorServer {
    QString ftpHost = QStringLiteral("ftp.fynlar.se");
    int ftpPort = 21;
    QString webBase = QStringLiteral("http://www.fynlar.se/");
    QString mail = QStringLiteral("moxel@fynlar.se");
};
AuthorServer& authorServer();

// ---- Access ------------------------------------------------------------------
MessageBoxes& messages();
ModalHost& modalHost();
Clock& clock();
Drives& drives();
Ftp& ftp();
ProgramEnd& programEnd();
Help& help();
Shell& shell();

void setMessages(std::unique_ptr<MessageBoxes> s);
void setModalHost(std::unique_ptr<ModalHost> s);
void setClock(std::unique_ptr<Clock> s);
void setDrives(std::unique_ptr<Drives> s);
void setFtp(std::unique_ptr<Ftp> s);
void setProgramEnd(std::unique_ptr<ProgramEnd> s);
void setHelp(std::unique_ptr<Help> s);
void setShell(std::unique_ptr<Shell> s);

// Installs the real implementations of every service.
void installReal();

// The real implementations, for tests that use one of them on its own.
std::unique_ptr<Ftp> makeCurlFtp();
std::unique_ptr<Drives> makeSystemDrives();
// Help pages "<context>.html" in folder, opened in the desktop's browser.
std::unique_ptr<Help> makeBrowserHelp(const QString& folder);
std::unique_ptr<Shell> makeDesktopShell();
// Where the help pages are installed: "help" beside the program.
QString installedHelpFolder();

} // namespace platform
