#include "services/RappForm.h"

#include "core/Codec1252.h"
#include "core/DateText.h"
#include "core/ErrorRoutine.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/State.h"
#include "platform/Ui.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <unistd.h>

namespace fyn {

using platform::kArial;
using platform::kArialNarrow;
using platform::placeTwips;
using platform::twips;
using platform::uiFont;

RappForm::RappForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RappForm"));
    setWindowTitle(QStringLiteral("Rapportformulär"));
    setModal(true);
    setFixedSize(twips(7755), twips(4740));
    setFont(uiFont(kArialNarrow, 9.75));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    placeTwips(Label1, 360, 240, 6975, 1575);
    Label1->setFont(uiFont(kArial, 11.25));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setText(QStringLiteral(
        "Beskriv kort nedan hur felet yttrar sig och i vilket sammanhang ! Lägg gärna "
        "till din mailadress om du vill ha ett svar !\n\n"
        "Ditt meddelande, samt uppsamlade data om felet, sammanställs och sänds när "
        "du klickar på 'Skicka' i formuläret !"));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    placeTwips(Text1, 360, 2040, 6975, 1815);
    Text1->setFont(uiFont(kArial, 11.25));
    Text1->setTabChangesFocus(true);
    Text1->setAccessibleName(QStringLiteral("Ditt meddelande"));
    Label1->setBuddy(Text1);

    Command2 = platform::makeControl<QPushButton>(this, "Command2", QStringLiteral("Avbryt"));
    placeTwips(Command2, 360, 4080, 1575, 615);
    Command2->setFont(uiFont(kArial, 12, true));
    Command2->setAutoDefault(false);

    Command1 = platform::makeControl<QPushButton>(this, "Command1", QStringLiteral("Skicka"));
    placeTwips(Command1, 5760, 4080, 1575, 615);
    Command1->setFont(uiFont(kArial, 12, true));
    Command1->setAutoDefault(false);

    connect(Command1, &QPushButton::clicked, this, &RappForm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &RappForm::Command2_Click);
}

QString reportFileName(const QString& dagensDatum, const QString& time) {
    return QStringLiteral("FelRapport_Fynlar") + dagensDatum.left(4) + dagensDatum.mid(5, 2) +
           dagensDatum.right(2) + time.left(2) + time.mid(3, 2) + time.right(2);
}

QStringList reportLines(const QString& sysFel, const QString& dagensDatum, const QString& time,
                        const QString& anvNamn, const QString& installDatum, const QString& message,
                        const QString& felDump) {
    QStringList lines;
    lines << QStringLiteral("Systemrapporterat fel = ") + sysFel
          << QStringLiteral("Datum = ") + dagensDatum + QStringLiteral(", Tidpunkt = ") + time
          << QString() << QStringLiteral("Användare = ") + anvNamn << QString()
          << QStringLiteral("Installationsdatum = ") + installDatum << QString();
    if (!trimBlanks(message).isEmpty()) {
        // Written as typed; the text box's line breaks become CR LF in the file.
        lines << QStringLiteral("Meddelande från användaren:") << QString()
              << QString(message)
                     .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                     .replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    } else {
        lines << QStringLiteral("Inget meddelande från användaren !");
    }
    lines << QString() << QStringLiteral("Data samlade vid felkällan: ") << QString();
    lines += felDump.split(kFelSep);
    return lines;
}

platform::FtpTarget FtpLogin() {
    platform::FtpTarget t;
    t.host = platform::authorServer().ftpHost;
    t.port = platform::authorServer().ftpPort;
    t.user = QStringLiteral("Rq2wLx7Tz9");
    t.password = QStringLiteral("Vb4nHs8Mk3");
    return t;
}

platform::FtpResult FtpSendReport(const platform::FtpTarget& login) {
    return platform::ftp().putFile(login, Module1.FelRapportPath, Module1.FelRapportPath);
}

namespace {

// Writes the report and reads it back: true only when the file on disk holds
// every byte of it, synced.
bool writeWhole(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written =
        file.write(bytes) == bytes.size() && file.flush() && ::fsync(file.handle()) == 0;
    file.close();
    if (!written)
        return false;
    QFile back(path);
    return back.open(QIODevice::ReadOnly) && back.readAll() == bytes;
}

bool holdsWhole(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll() == bytes;
}

// Why the report did not go, as the user can understand it.
QString failureText(platform::FtpFailure why) {
    switch (why) {
    case platform::FtpFailure::LoginRefused:
        return QStringLiteral("Servern för felrapporter godtog inte programmets inloggning.");
    case platform::FtpFailure::Unreachable:
        return QStringLiteral("Servern för felrapporter gick inte att nå. Datorn kan sakna "
                              "förbindelse med Internet, eller servern vara ur drift just nu.");
    case platform::FtpFailure::ConnectionBroken:
        return QStringLiteral("Förbindelsen med servern för felrapporter bröts innan rapporten "
                              "hade kommit fram.");
    case platform::FtpFailure::FileUnreadable:
        return QStringLiteral("Rapportfilen gick inte att läsa när den skulle skickas.");
    case platform::FtpFailure::FileRefused:
        return QStringLiteral("Servern för felrapporter tog emot inloggningen men inte "
                              "rapportfilen.");
    case platform::FtpFailure::None:
    case platform::FtpFailure::Other:
        break;
    }
    return QStringLiteral("Överföringen till servern för felrapporter misslyckades.");
}

void notWritten(const QString& fullPath) {
    platform::messages().show(QStringLiteral("Felrapporten kunde inte skrivas till filen\n%1\n\n"
                                             "Ingen rapport har skickats.")
                                  .arg(fullPath),
                              platform::Buttons::Ok, platform::Icon::Warning,
                              QStringLiteral("Felrapporten skickades inte"));
}

} // namespace

void RappForm::Command1_Click() {
    const QString time = timeText(platform::clock().timeOfDay());
    Module1.FelRapportPath = reportFileName(Module1.DagensDatum, time);
    const QString fullPath = QDir::current().absoluteFilePath(Module1.FelRapportPath);

    QByteArray bytes;
    for (const QString& line :
         reportLines(Module1.SysFel, Module1.DagensDatum, time, Module1.AnvNamn,
                     Module1.InstallDatum, Text1->toPlainText(), Module1.FelDump))
        bytes += toCp1252(line) + "\r\n";
    if (!writeWhole(fullPath, bytes)) {
        QFile::remove(fullPath);
        notWritten(fullPath);
        Command2_Click();
        return;
    }

    const platform::FtpResult sent = FtpSendReport(FtpLogin());
    if (sent.ok) {
        QFile::remove(fullPath);
        platform::messages().show(
            QStringLiteral("Felrapporten har nu skickats !\r\n\r\n"
                           "Jag beklagar besvären och ska snarast undersöka vad felet kan bestå i, "
                           "med ledning av rapporten och bifogade data !\r\n\r\n"
                           "Med vänlig hälsning\r\n\r\n"
                           "             /Moxel"),
            platform::Buttons::Ok, platform::Icon::Information,
            QStringLiteral("Skickad felrapport"));
        Command2_Click();
        return;
    }
    // Nothing was sent: the report stays, whole, where the user can find it,
    // written again should the attempt have left it otherwise.
    if (!holdsWhole(fullPath, bytes) && !writeWhole(fullPath, bytes)) {
        QFile::remove(fullPath);
        notWritten(fullPath);
        Command2_Click();
        return;
    }
    platform::messages().show(
        QStringLiteral("Felrapporten kunde inte skickas !\n\n") + failureText(sent.why) +
            QStringLiteral("\n\nRapporten finns sparad, hel, i filen\n") + fullPath +
            QStringLiteral("\n\nVill du ändå att den kommer fram, kan du skicka filen som "
                           "bilaga i ett e-brev till ") +
            platform::authorServer().mail + QLatin1Char('.'),
        platform::Buttons::Ok, platform::Icon::Warning,
        QStringLiteral("Felrapporten skickades inte"));
    Command2_Click();
}

void RappForm::Command2_Click() {
    done(QDialog::Rejected);
}

void showRappForm() {
    RappForm form;
    platform::modalHost().runModal(form);
}

void installReportForm() {
    setReportFormOpener(showRappForm);
}

} // namespace fyn
