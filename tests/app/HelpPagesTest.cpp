// The help that every error box points to ("Se vidare Backup under
// Info/Hjälp !"): the help menu's overview, chosen with the mouse, opens its
// page beside the program, and that page's link "Backup" leads to the page on
// backups, as does the link line of every other page.
#include "app/ProgramDriver.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

using namespace fyn;

namespace {

// Takes the pages the desktop would open in the browser.
class Browser : public QObject {
    Q_OBJECT
public:
    Browser() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~Browser() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

QString page(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The page a link of that text on the page at path leads to, or an empty text.
QString linkTarget(const QString& path, const QString& text) {
    const QRegularExpression link(QStringLiteral("<a href=\"([^\"]+)\">") + text +
                                  QStringLiteral("</a>"));
    const QRegularExpressionMatch m = link.match(page(path));
    return m.hasMatch() ? QFileInfo(path).dir().filePath(m.captured(1)) : QString();
}

using HelpPages = test::ProgramTest;

TEST_F(HelpPages, TheBackupPageIsReachedFromTheHelpMenu) {
    HeadForm& f = startProgram();
    test::chooseMenuItem(f.menuBar(), f.KB_InfAnv_mn, f.over_mn);
    ASSERT_EQ(fakes.help->contexts, std::vector<int>{10000});

    // The topic as the installed help opens it.
    Browser browser;
    platform::makeBrowserHelp(FYN_INSTALLED_HELP)->showContext(fakes.help->contexts[0]);
    ASSERT_EQ(browser.urls.size(), 1);
    const QString overview = browser.urls[0].toLocalFile();
    EXPECT_TRUE(page(overview).contains("<h1>Översikt</h1>"));

    const QString backup = linkTarget(overview, "Backup");
    ASSERT_FALSE(backup.isEmpty()) << "no link to the backup page";
    const QString text = page(backup);
    // What a backup holds, how one is made to a stick, how a restore replaces
    // the files.
    for (const char* said :
         {"<h1>Backup</h1>", "Arkiv / Back-up", "Detta konto", "Alla konton", "KontoData",
          "KontoFil", "FynlarBU", "USB-minne", "Drive-enheter", "Mata ut minnet", "Återställ",
          "Återställningen ersätter filerna", "går förlorat", "Starta om programmet"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(said))) << said;

    // Every page's link line leads there, and back to the overview.
    const QStringList pages = QDir(FYN_INSTALLED_HELP).entryList({"*.html"}, QDir::Files);
    EXPECT_EQ(pages.size(), 8) << pages.join(' ').toStdString();
    for (const QString& p : pages) {
        const QString path = QDir(FYN_INSTALLED_HELP).filePath(p);
        EXPECT_EQ(linkTarget(path, "Backup"), backup) << p.toStdString();
        EXPECT_EQ(linkTarget(path, QString::fromUtf8("Översikt")), overview) << p.toStdString();
    }
}

} // namespace

#include "HelpPagesTest.moc"
