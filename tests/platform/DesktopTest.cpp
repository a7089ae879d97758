// The desktop's services as the program uses them: the mounted drives, the
// help pages installed beside the program and web addresses, each opened
// through the desktop (caught here before a browser starts).
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// Takes the addresses the desktop would open.
class Opened : public QObject {
    Q_OBJECT
public:
    explicit Opened(const QStringList& schemes) : schemes_(schemes) {
        for (const QString& s : schemes_)
            QDesktopServices::setUrlHandler(s, this, "open");
    }
    ~Opened() override {
        for (const QString& s : schemes_)
            QDesktopServices::unsetUrlHandler(s);
    }
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }

private:
    QStringList schemes_;
};

TEST(Drives, TheMountTableGivesTheDrivesAUserSees) {
    // Mount points where a user's drives are: not under /tmp, a system place,
    // wherever the build lies.
    const QString here = QDir::homePath();
    QTemporaryDir stick(here + "/stick-XXXXXX"), share(here + "/share-XXXXXX");
    const QString s = QDir(stick.path()).canonicalPath();
    const QString n = QDir(share.path()).canonicalPath();
    const QByteArray mounts = "proc /proc proc rw 0 0\n"
                              "/dev/vda1 / ext4 rw 0 0\n"
                              "/dev/vda2 /boot ext4 rw 0 0\n"
                              "tmpfs /run/user/1000 tmpfs rw 0 0\n"
                              "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
                              "/dev/sdb1 " +
                              s.toLocal8Bit() +
                              " vfat rw 0 0\n"
                              "nas:/home " +
                              n.toLocal8Bit() +
                              " nfs4 rw 0 0\n"
                              "/dev/sr0 /media/anna/CD\\040ROM iso9660 ro 0 0\n"
                              "/dev/sdc1 /media/anna/GONE ext4 rw 0 0\n"
                              "/dev/vda1 /etc/hosts ext4 rw 0 0\n";
    const auto removable = [](const QString& device) { return device == "/dev/sdb1"; };
    const std::vector<DriveInfo> drives =
        drivesFromMounts(mounts, QDir::homePath() + "/", removable);
    const std::vector<DriveInfo> expected = {
        {QDir::cleanPath(QDir::homePath()) + "/", DriveType::Fixed, true},
        {s + "/", DriveType::Removable, true},
        {n + "/", DriveType::Network, true},
        {"/media/anna/CD ROM/", DriveType::CdRom, false},
        {"/media/anna/GONE/", DriveType::Fixed, false},
    };
    ASSERT_EQ(drives.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(drives[i].root, expected[i].root) << i;
        EXPECT_EQ(drives[i].type, expected[i].type) << i;
        EXPECT_EQ(drives[i].ready, expected[i].ready) << i;
    }
    // The drive root's own file system is listed once, as its fixed drive.
    const std::vector<DriveInfo> fromStick =
        drivesFromMounts(mounts, stick.path() + "/", removable);
    ASSERT_EQ(fromStick.size(), 4u);
    EXPECT_EQ(fromStick[0].root, s + "/");
    EXPECT_EQ(fromStick[0].type, DriveType::Fixed);
    EXPECT_EQ(fromStick[1].root, n + "/");
}

TEST(Drives, TheSystemsListStartsWithTheDriveRoot) {
    const auto drives = makeSystemDrives();
    const std::vector<DriveInfo> list = drives->list(QDir::homePath() + "/");
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0].root, QDir::cleanPath(QDir::homePath()) + "/");
    EXPECT_TRUE(list[0].ready);
    for (const DriveInfo& d : list)
        EXPECT_NE(d.root, "/proc/");
}

// Every context number the program opens has its page beside the program.
TEST(Help, EachTopicOpensItsInstalledPage) {
    Opened opened({"file"});
    const auto help = makeBrowserHelp(FYN_INSTALLED_HELP);
    const int topics[] = {10000, 20000, 30000, 40000, 50000, 60000, 70000};
    for (int t : topics)
        help->showContext(t);
    ASSERT_EQ(opened.urls.size(), 7);
    for (int i = 0; i < 7; ++i) {
        const QString page = opened.urls[i].toLocalFile();
        EXPECT_EQ(page, QString(FYN_INSTALLED_HELP) + QString("/%1.html").arg(topics[i]));
        EXPECT_TRUE(QFileInfo(page).isFile()) << page.toStdString();
    }
    // A topic without a page is passed over.
    help->showContext(80000);
    EXPECT_EQ(opened.urls.size(), 7);
}

TEST(Shell, AnAddressOpensInTheBrowser) {
    Opened opened({"http"});
    makeDesktopShell()->openUrl("http://www.example.invalid/Bugfix/BuggFix_Fynlar.php");
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls[0].toString(), "http://www.example.invalid/Bugfix/BuggFix_Fynlar.php");
}

} // namespace

#include "DesktopTest.moc"
