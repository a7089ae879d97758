// Deleting the current account.
#include "mainwindow/HeadForm.h"

#include "mainwindow/HandlerTexts.h"

#include "core/AccountName.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/Register.h"
#include "core/SafeWrite.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "mainwindow/NyKontoForm.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

namespace fyn {

using handler::kindLine;

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

bool hasData(const QString& file) {
    return QFileInfo(file).size() >= 1;
}

// The account's folder, when it is a real child folder of the data folder
// named by a valid account name; empty otherwise (then nothing is deleted).
QString deletableFolder(const QString& name) {
    if (name.isEmpty() || !accountNameProblem(name).isEmpty())
        return {};
    const QFileInfo folder(accountFolder(name));
    if (!folder.exists() || folder.isSymLink() || !folder.isDir())
        return {};
    if (folder.canonicalPath() != QFileInfo(dataFolder()).canonicalFilePath())
        return {};
    return folder.absoluteFilePath();
}

} // namespace

void HeadForm::Radko_mn_Click() {
    const QString name = Module1.KontoNamn;
    if (Module1.KontoNum < 1 || name.isEmpty())
        return;
    if (platform::messages().show(
            QStringLiteral("Vill du radera konto:\n[") + name + QStringLiteral("]\ni sin helhet ?"),
            Buttons::YesNo, Icon::None, QStringLiteral("Ta bort konto ? ?")) == Answer::No)
        return;
    ledger::account().closeAll();
    QString title = QStringLiteral("Ta bort konto ? ?");
    QString warning;
    for (const char* file : {"Transakt", "KontoData"}) {
        if (hasData(accountFile(name, QLatin1String(file)))) {
            if (warning.isEmpty())
                warning = QStringLiteral("Konto [") + name +
                          QStringLiteral("] är i användbart skick, då\n");
            warning += QLatin1String(file) == QLatin1String("Transakt")
                           ? QStringLiteral("filen 'Transakt' finns och har innehåll !\n")
                           : QStringLiteral("filen 'KontoData' finns och har innehåll !\n");
            title = QStringLiteral("Kontot används");
        }
    }
    if (platform::messages().show(
            warning + QStringLiteral("Är du säker på att du vill radera\nkontot [") + name +
                QStringLiteral("] ?"),
            Buttons::YesNo, Icon::None, title) == Answer::No) {
        // The account stays: its files are opened again.
        Konto_Konfig();
        return;
    }
    accountGone();
    Reducera_Konto();
}

// The grid and the name labels of the account's kind are emptied.
void HeadForm::accountGone() {
    grid()->clearTexts();
    if (isBudget()) {
        Label20->clear();
        Label21->clear();
    } else {
        Label16->clear();
        Label17->clear();
    }
}

void HeadForm::removeOnlyPosting(bool budget) {
    if (platform::messages().show(QStringLiteral("Du tar bort den enda posten\npå kontot !\n\n"
                                                 "Därmed avslutar du också hela kontot !\n\n"
                                                 "Vill du fortsätta ?"),
                                  Buttons::YesNo, Icon::None,
                                  QStringLiteral("Ta bort konto ? ?")) == Answer::No) {
        budget ? Rensa_Mark_G2() : Rensa_Mark_G1();
        FormDate = Module1.DagensDatum;
        datumset();
        return;
    }
    ledger::account().closeAll();
    accountGone();
    Module1.CancelFlag = QStringLiteral("1");
    Command3_Click();
    Reducera_Konto();
}

void HeadForm::Reducera_Konto() {
    const QString name = Module1.KontoNamn;
    const int number = Module1.KontoNum;
    QString progress = QStringLiteral("Ingen !");
    const bool ok = trap(
        [&] {
            ledger::account().closeAll();
            // Only a real account folder in the data folder goes, and the
            // register forgets the name only after it has gone.
            if (number < 1 || name.isEmpty())
                return;
            // Nothing in the journal may name the folder once it is gone: a
            // replay would stop at it.
            checkpoint();
            // A link in its place is removed as a link; what it points at stays.
            const QFileInfo place(accountFolder(name));
            if (place.isSymLink() && accountNameProblem(name).isEmpty())
                removeFile(place.absoluteFilePath());
            const QString folder = deletableFolder(name);
            if (!folder.isEmpty()) {
                // The folder leaves its place in one step before anything in it
                // goes, and the register names the account until it has gone:
                // a power cut leaves the account whole, or its name without a
                // folder, which the start offers to remove.
                const QString aside = deletedAccountFolder(name);
                removeFolderTree(aside); // what a deletion cut short left
                renameFolder(folder, aside);
                for (const char* file : {"KontoData", "Transakt", "Kategori"}) {
                    removeFile(aside + QLatin1Char('/') + QLatin1String(file));
                    progress = QStringLiteral("T o m %1 !").arg(QLatin1String(file));
                }
                removeFolderTree(aside);
                progress = QStringLiteral("T o m Katalog borttagen !");
            }
            (isBudget() ? TransCombo_Budget : TransCombo_Enkel)->clear();

            QString title;
            QString text;
            if (Combo3->count() < 2) {
                Combo3->clear();
                // Removed and synced before the user is told: a crash cannot
                // bring the name back.
                removeFile(kontoFilPath());
                Module1.KontoNum = 0;
                title = QStringLiteral("Alla konton raderade");
                text = QStringLiteral("Det sista kvarvarande kontot\nhar avslutats !");
            } else {
                const RecordFile kontoFil = openRecordFile<KontoFilPost>(kontoFilPath());
                KontoFilPost rec = kontoFil.get<KontoFilPost>(number);
                rec.KontoNamn.clear();
                kontoFil.put(number, rec);
                listAccounts();
                Module1.KontoNum = Combo3->count() > 0 ? Combo3->itemData(0).toInt() : 0;
                title = QStringLiteral("Konto borttaget");
                text = name + QStringLiteral(" konto har avlägsnats !");
            }
            platform::messages().show(text, Buttons::Ok, Icon::Information, title);
        },
        [&] {
            return ErrorContext(
                QStringLiteral("Reducera_Konto"), {QStringLiteral("vid radering av konto.")},
                {progress, QStringLiteral("Kunde Radera "),
                 QStringLiteral("Antalet poster i öppen KontoFil "),
                 QStringLiteral("Konto som ska raderas ") + name,
                 QStringLiteral("Aktuellt kontonummer ") + QString::number(Module1.KontoNum),
                 QStringLiteral("Raderat konto ") + QString::number(number),
                 QStringLiteral("Antalet poster i kontolistan  ") +
                     QString::number(Combo3->count()),
                 kindLine(),
                 QStringLiteral("Transaktionslistan tömd ? ") +
                     ((isBudget() ? TransCombo_Budget : TransCombo_Enkel)->count() == 0
                          ? QStringLiteral("Ja !")
                          : QStringLiteral("Nej !")),
                 QStringLiteral("Felet uppstod i konto ") + name});
        });
    if (!ok)
        return;
    if (Module1.KontoNum > 0) {
        const int i = Combo3->findData(Module1.KontoNum);
        if (i >= 0) {
            Combo3->setCurrentIndex(i);
            Combo3_Click();
        }
        return;
    }
    setAvailable(Radko_mn, false);
    Module1.KontoNamn.clear();
    if (platform::messages().show(QStringLiteral("Vill du lägga upp ett första konto nu ?"),
                                  Buttons::YesNo, Icon::None,
                                  QStringLiteral("Inget konto finns upplagt !")) != Answer::No) {
        nyKontoForm().Form_Load();
        return;
    }
    if (platform::messages().show(QStringLiteral("Uppgifter om konton saknas och har\n"
                                                 "inte lästs in till programmet !\n"
                                                 "Vill du avsluta programmet nu ?"),
                                  Buttons::YesNo, Icon::None,
                                  QStringLiteral("KONTOUPPGIFT")) != Answer::No) {
        Exit_Konto();
        return;
    }
    platform::messages().show(QStringLiteral("Saknas uppgifter om konton !"), Buttons::Ok,
                              Icon::Information, QStringLiteral("KONTOUPPGIFT"));
    Text10->setText(QStringLiteral("Kontouppgift saknas"));
    Combo3->setEnabled(false);
}

} // namespace fyn
