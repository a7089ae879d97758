// Choosing and opening an account, and laying the window out for its kind.
#include "mainwindow/HeadForm.h"

#include "mainwindow/HandlerTexts.h"

#include "core/AccountName.h"
#include "core/DateText.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/Register.h"
#include "core/SafeWrite.h"
#include "core/State.h"
#include "core/TextFiles.h"
#include "ledger/Account.h"
#include "mainwindow/NyKontoForm.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

namespace fyn {

using handler::kindLine;

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

QString nowText() {
    return timeText(platform::clock().timeOfDay());
}

// The register's name field as the account choice reads it: trimmed, and a
// last character below 33 (the fund-account mark) dropped.
QString chosenName(const QString& field) {
    QString name = trimBlanks(field);
    if (!name.isEmpty() && name.back().unicode() < 33)
        name.chop(1);
    return name;
}

// Where an account that cannot be opened is reported: the account choice, or
// the start-up opening the account named in KontoIni.
QString routineOf(bool atStart) {
    return atStart ? QStringLiteral("Inläs_Kontofil") : QStringLiteral("Combo3_Click");
}
QString contextOf(bool atStart) {
    return atStart ? QStringLiteral("vid programstart och laddning av kontoregister")
                   : QStringLiteral("vid försök att välja ett konto");
}

// The error texts of an account that cannot be opened.
ErrorContext choiceContext(const QString& name, const QString& folder, bool atStart) {
    return ErrorContext(
        routineOf(atStart),
        {contextOf(atStart),
         QStringLiteral("Kontot [") + name + QStringLiteral("] kunde inte öppnas !")},
        {contextOf(atStart),
         (atStart ? QStringLiteral("KontoNum vid start: ") : QStringLiteral("Klickat KontoNum: ")) +
             QString::number(Module1.KontoNum),
         QStringLiteral("KontoNamn: ") + name, QStringLiteral("Sökväg: ") + folder});
}

} // namespace

// The register's Sökväg is only shown: every account lies in the data folder,
// so a name is all that places it, and a name that would place it elsewhere
// (or a link in its place) is not opened.
QString HeadForm::accountRefusal(const QString& name) {
    if (const QString problem = accountNameProblem(name); !problem.isEmpty())
        return problem;
    if (QFileInfo(accountFolder(name)).isSymLink())
        return QStringLiteral("Kontots mapp i datamappen är en symbolisk länk, som kan leda till "
                              "filer utanför datamappen !");
    return {};
}

void HeadForm::refusedAccount(int number, const QString& name, const QString& why) {
    platform::messages().show(
        QStringLiteral("Kontot [%1] på plats %2 i kontoregistret (KontoFil) kan inte öppnas !"
                       "\n\n%3\n\n"
                       "Kontot står kvar i kontolistan, men programmet öppnar bara konton vars "
                       "mapp är en vanlig mapp direkt i datamappen\n%4")
            .arg(name, QString::number(number), why, QDir::toNativeSeparators(dataFolder())),
        Buttons::Ok, Icon::Warning, QStringLiteral("Ogiltigt kontonamn"));
}

// The error log is a help afterwards: failing to write it is reported on its
// own and leaves the account's own message as it was.
void HeadForm::logAccountFault(const QStringList& lines, bool atStart) {
    trap([&] { appendErrLog(lines); },
         [&] {
             return ErrorContext(routineOf(atStart),
                                 {QStringLiteral("vid skrivning till felloggen ErrLog")},
                                 {QStringLiteral("vid skrivning till felloggen ErrLog")});
         });
}

void HeadForm::Combo3_Click() {
    if (Combo3->currentIndex() < 0)
        return;
    PrevKontoNum = Module1.KontoNum;
    Module1.KontoNum = Combo3->currentData().toInt();
    Text10->setText(trimBlanks(Combo3->currentText()));
    QString name;
    QString folder;
    QString refusal;
    bool folderMissing = false;
    bool emptyData = false;
    const bool ok = trap(
        [&] {
            const KontoFilPost rec =
                openRecordFile<KontoFilPost>(kontoFilPath()).get<KontoFilPost>(Module1.KontoNum);
            name = chosenName(rec.KontoNamn);
            folder = trimBlanks(rec.Sokvag);
            refusal = accountRefusal(name);
            if (!refusal.isEmpty())
                return; // its own road below, and the open account stays open
            ledger::account().closeAll();
            const QString accountDir = accountFolder(name);
            if (!QFileInfo(accountDir).isDir()) {
                folderMissing = true; // its own road below, not the general one
                return;
            }
            const QFileInfo data(accountDir + QStringLiteral("/KontoData"));
            if (!data.isFile())
                raiseError(platform::kFileNotFound);
            emptyData = data.size() == 0;
        },
        [&] { return choiceContext(name, folder, false); });
    if (ok && refusal.isEmpty() && !folderMissing) {
        if (emptyData) {
            const QString message =
                QStringLiteral("Ett fel har upptäckts i subrutinen Combo3_Click\n"
                               "vid försök att välja ett konto\n\n"
                               "Filen 'KontoData' i kontot [") +
                name + QStringLiteral("]\ninnehåller inga data !\n");
            logAccountFault(
                {QStringLiteral("Fel: Kontokatalogen innehåller inga data !"),
                 QStringLiteral("Datum = ") + Module1.DagensDatum +
                     QStringLiteral(", Tidpunkt = ") + nowText(),
                 QString(), QStringLiteral("Filen 'KontoData'saknar innehåll !"), QString(),
                 QStringLiteral("Klickat KontoNum: ") + QString::number(Module1.KontoNum),
                 QStringLiteral("KontoNamn: ") + name, QStringLiteral("Sökväg: ") + folder,
                 QString()},
                false);
            platform::messages().show(message, Buttons::Ok, Icon::Warning,
                                      QStringLiteral("Saknas Data"));
        }
        Konto_Konfig();
        return;
    }
    if (!refusal.isEmpty())
        refusedAccount(Module1.KontoNum, name, refusal);
    if (folderMissing) {
        Module1.SysFel = platform::kPathNotFound;
        missingAccountFolder(name, folder, false);
    }
    // Back to the account that was open before; when the choice failed before
    // closing it, it is open still.
    Module1.KontoNum = PrevKontoNum;
    Text10->setText(Module1.KontoNamn);
    Combo3->setCurrentIndex(-1);
    if (ledger::account().kontoData.isOpen())
        return;
    if (Combo3->findData(Module1.KontoNum) >= 0)
        Konto_Konfig();
    else
        openFirstAvailable(false);
}

// The account's folder is gone: logged, reported, and the name may go. At
// start-up no account was open before it.
void HeadForm::missingAccountFolder(const QString& name, const QString& folder, bool atStart) {
    const QString sysText = Module1.SysFel;
    ledger::Kind kind;
    if (ledger::kindOf(Module1.KontoSlag, kind)) {
        grid()->clearTexts();
    }
    const QString shownFolder = QDir::toNativeSeparators(dataFolder());
    // Kept here, not in the shared error texts, which a failing log write fills.
    const QString message = QStringLiteral("Ett fel har uppstått i subrutinen ") +
                            routineOf(atStart) + QLatin1Char('\n') + contextOf(atStart) +
                            QStringLiteral("\n"
                                           "Kontot hittas ej !\n"
                                           "Avsedd kontokatalog kan ha blivit raderad,\n"
                                           "eller flyttad på annat sätt än genom\n"
                                           "programmet !\n"
                                           "Kontrollera om ") +
                            shownFolder + QStringLiteral("/\n existerar, och om mappen ") + name +
                            QStringLiteral("\nfinns i den och innehåller de tre filerna\n"
                                           "'Transakt', 'Kategori' och 'Kontodata',\n"
                                           "samt att åtminstone 'Transakt'har > 0 kB !");
    QStringList log = {QStringLiteral("Systemfel: ") + sysText,
                       QStringLiteral("Datum = ") + Module1.DagensDatum +
                           QStringLiteral(", Tidpunkt = ") + nowText(),
                       QString(), QStringLiteral("Kontokatalogen existerar inte !")};
    if (atStart)
        log << QStringLiteral("KontoNum vid start: ") + QString::number(Module1.KontoNum);
    else
        log << QStringLiteral("Tidigare KontoNum: ") + QString::number(PrevKontoNum)
            << QStringLiteral("Klickat KontoNum: ") + QString::number(Module1.KontoNum);
    log << QStringLiteral("KontoNamn: ") + name << QStringLiteral("Sökväg: ") + folder << QString();
    logAccountFault(log, atStart);
    platform::messages().show(message, Buttons::Ok, Icon::Warning, sysText);
    if (platform::messages().show(QStringLiteral("Eftersom kontot enbart tycks existera\n"
                                                 "i kontoregistret som namn, kanske\n"
                                                 "du nu vill radera detta ! (?)\n\n"
                                                 "Vill du radera kontonamnet ? ?"),
                                  Buttons::YesNo, Icon::None,
                                  QStringLiteral("Radera kontonamn")) != Answer::No)
        Radera_KontoNamn();
}

void HeadForm::Radera_KontoNamn() {
    QString name;
    QString folder;
    QString refusal;
    trap(
        [&] {
            const RecordFile kontoFil = openRecordFile<KontoFilPost>(kontoFilPath());
            KontoFilPost rec = kontoFil.get<KontoFilPost>(Module1.KontoNum);
            name = accountNameOf(rec.KontoNamn);
            folder = trimBlanks(rec.Sokvag);
            // Files are looked for only where the account's own folder can be.
            refusal = accountRefusal(name);
            if (!refusal.isEmpty())
                return;
            ledger::account().closeAll();
            const QString dir = accountFolder(name);
            for (const char* file : {"Transakt", "KontoData"}) {
                if (QFileInfo(dir + QLatin1Char('/') + QLatin1String(file)).size() >= 1) {
                    platform::messages().show(
                        QStringLiteral("Kontonamnet ") + name + QStringLiteral(" kan inte\n") +
                            QStringLiteral("avlägsnas ur registret, eftersom\n") +
                            (QLatin1String(file) == QLatin1String("Transakt")
                                 ? QStringLiteral("filen 'Transakt' finns\n")
                                 : QStringLiteral("filen 'Kontodata' finns\n")) +
                            QStringLiteral("och har innehåll !"),
                        Buttons::Ok, Icon::None, QStringLiteral("Kontot befintligt"));
                    return;
                }
            }
            // What a deletion cut short left of the account's files goes first.
            removeFolderTree(deletedAccountFolder(name));
            rec.KontoNamn.clear();
            kontoFil.put(Module1.KontoNum, rec);
            Module1.KontoNum = 0;
            listAccounts();
            platform::messages().show(QStringLiteral("Kontonamnet ") + name +
                                          QStringLiteral(" har nu avlägsnats\nur registret !"),
                                      Buttons::Ok, Icon::None,
                                      QStringLiteral("Kontonamn borttaget"));
        },
        [&] {
            return ErrorContext(QStringLiteral("Radera_Kontonamn"),
                                {QStringLiteral("vid försök att avlägsna ett kontonamn.")},
                                {QStringLiteral("Aktuellt kontonummer (KontoNum) = ") +
                                     QString::number(Module1.KontoNum),
                                 QStringLiteral("Kontonamn i KontoFil (C) = ") + name,
                                 QStringLiteral("Sökväg i KontoFil (I) = ") + folder,
                                 QStringLiteral("Antal poster i KontoFil (G) = ") +
                                     QString::number(Combo3->count()),
                                 kindLine(),
                                 QStringLiteral("Felet uppstod i konto ") + Module1.KontoNamn});
        });
    if (!refusal.isEmpty())
        refusedAccount(Module1.KontoNum, name, refusal);
}

// At start-up: the current account, or when it cannot be opened (said so) the
// first listed account that can, or the no-account state.
void HeadForm::openAtStart() {
    const KontoFilPost rec =
        openRecordFile<KontoFilPost>(kontoFilPath()).get<KontoFilPost>(Module1.KontoNum);
    const QString name = chosenName(rec.KontoNamn);
    const QString folder = trimBlanks(rec.Sokvag);
    PrevKontoNum = 0;
    if (const QString why = accountRefusal(name); !why.isEmpty()) {
        refusedAccount(Module1.KontoNum, name, why);
    } else if (QFileInfo(accountFile(name, QStringLiteral("KontoData"))).isFile()) {
        Konto_Konfig();
        return;
    } else if (!QFileInfo(accountFolder(name)).isDir()) {
        Module1.SysFel = platform::kPathNotFound;
        missingAccountFolder(name, folder, true);
    } else {
        trap([] { raiseError(platform::kFileNotFound); },
             [&] { return choiceContext(name, folder, true); });
    }
    openFirstAvailable(true);
}

void HeadForm::openFirstAvailable(bool atStart) {
    int found = 0;
    QString text;
    const bool ok = trap(
        [&] {
            const RecordFile kontoFil = openRecordFile<KontoFilPost>(kontoFilPath());
            for (const RegisterItem& item : registerItems(kontoFil)) {
                const QString name = chosenName(kontoFil.get<KontoFilPost>(item.number).KontoNamn);
                if (accountRefusal(name).isEmpty() &&
                    QFileInfo(accountFile(name, QStringLiteral("KontoData"))).isFile()) {
                    found = item.number;
                    text = trimBlanks(item.text);
                    return;
                }
            }
        },
        [&] {
            return ErrorContext(routineOf(atStart),
                                {QStringLiteral("vid sökning efter ett konto som kan öppnas")},
                                {QStringLiteral("vid sökning efter ett konto som kan öppnas"),
                                 (atStart ? QStringLiteral("KontoNum vid start: ")
                                          : QStringLiteral("Tidigare KontoNum: ")) +
                                     QString::number(Module1.KontoNum)});
        });
    if (!ok)
        return;
    if (found > 0) {
        Module1.KontoNum = found;
        Text10->setText(text);
        Konto_Konfig();
        return;
    }
    Module1.KontoNum = 0;
    Module1.KontoNamn.clear();
    NoAccount();
}

void HeadForm::Konto_Konfig() {
    QString folder;
    QString name;
    QString refusal;
    trap(
        [&] {
            const KontoFilPost rec =
                openRecordFile<KontoFilPost>(kontoFilPath()).get<KontoFilPost>(Module1.KontoNum);
            name = trimBlanks(rec.KontoNamn);
            const bool fond = name.endsWith(kFondInfoMark);
            if (fond)
                name = trimBlanks(name.chopped(1));
            if (!name.isEmpty())
                refusal = accountRefusal(name);
            if (!refusal.isEmpty())
                return;
            Module1.FondInfoFlag = fond ? QStringLiteral("0") : QString();
            Module1.KontoNamn = name;
            Module1.KontoNummer = trimBlanks(rec.KontoNummer);
            Module1.KontoSlag = trimBlanks(rec.KontoSlag);
            folder = trimBlanks(rec.Sokvag);
            ledger::account().closeAll();
            Arr_Kontroller();
            ledger::Kind kind;
            if (!name.isEmpty() && ledger::kindOf(Module1.KontoSlag, kind)) {
                if (kind == ledger::Kind::Enkel) {
                    H_TransOptionEnk->setChecked(true);
                    Module1.HOptEnk = QStringLiteral("1");
                    Module1.HOptBudg = QStringLiteral("0");
                    Module1.SOptEnk = QStringLiteral("0");
                    SaldoInFlag = QStringLiteral("0");
                    Label11->setText(QStringLiteral("Belopp")); // a balance entry ends here
                    Label16->setText(Module1.KontoNamn);
                    Label17->setText(Module1.KontoNummer);
                } else {
                    H_TransOptionBudg->setChecked(true);
                    Module1.HOptBudg = QStringLiteral("1");
                    Module1.HOptEnk = QStringLiteral("0");
                    Module1.SOptBudg = QStringLiteral("0");
                    Label20->setText(Module1.KontoNamn);
                    Label21->setText(Module1.KontoNummer);
                }
                PostLength = ledger::recordLength(kind);
                Inläs();
                const ledger::PostingFile& data = ledger::account().kontoData;
                if (data.isOpen()) {
                    Module1.AntalPoster = data.lastDated();
                    const long at = data.lastOnOrBefore(Module1.WorkDate, Module1.AntalPoster);
                    if (at > 0)
                        Module1.PostNr = at;
                    refreshWithoutCheck();
                }
            }
            AllReset();
        },
        [&] {
            return ErrorContext(
                QStringLiteral("Konto_Konfig"),
                {QStringLiteral("vid programstart och laddning av valt konto")},
                {QStringLiteral("Angiven kontopost ") + QString::number(Module1.KontoNum),
                 QStringLiteral("Angivet kontonamn ") + Module1.KontoNamn,
                 QStringLiteral("Angivet kontonummer ") + Module1.KontoNummer,
                 QStringLiteral("Angivet bokf.val ") + Module1.KontoSlag,
                 QStringLiteral("Angiven sökväg ") + folder,
                 QStringLiteral("Filpostlängd ") + QString::number(PostLength),
                 QStringLiteral("Antalet filposter ") + QString::number(Module1.AntalPoster),
                 QStringLiteral("PostNr ") + QString::number(Module1.PostNr),
                 QStringLiteral("Antal poster inlästa till listan ") +
                     QString::number(Combo3->count()),
                 kindLine()});
        });
    if (!refusal.isEmpty())
        refusedAccount(Module1.KontoNum, name, refusal);
}

void HeadForm::Inläs() {
    ledger::OpenAccount& acc = ledger::account();
    ledger::Kind kind;
    ledger::kindOf(Module1.KontoSlag, kind);
    auto dump = [&](const QString& path) {
        const QFileInfo f(path);
        return QStringList{QStringLiteral("Fillängden är ") + QString::number(f.size()),
                           QStringLiteral("Antalet poster är ") +
                               QString::number(Module1.AntalPoster),
                           QStringLiteral("Postantal i Transaktionsfilen ") +
                               QString::number(acc.transakt.countForReport()),
                           QStringLiteral("Felet uppstod i konto ") + Module1.KontoNamn};
    };
    const QString transPath = accountFile(Module1.KontoNamn, QStringLiteral("Transakt"));
    if (!trap(
            [&] {
                acc.transakt = openRecordFile<TransPost>(transPath);
                if (kind == ledger::Kind::Budget)
                    Ladda_H_Trans_Budg();
                else
                    Ladda_H_Trans_Enkel();
            },
            [&] {
                QStringList lines = {QStringLiteral("vid inläsning av transaktionsregister"),
                                     QStringLiteral("till lista för konto ") + Module1.KontoNamn};
                if (QFileInfo(transPath).size() == 0)
                    lines << QStringLiteral("Transaktionsfilen är tom !");
                return ErrorContext(QStringLiteral("Inläs"), lines, dump(transPath));
            }))
        return;
    const QString dataPath = accountFile(Module1.KontoNamn, QStringLiteral("KontoData"));
    if (!trap(
            [&] {
                acc.kontoData.open(dataPath, kind);
                Module1.AntalPoster = acc.kontoData.recordCount();
            },
            [&] {
                return ErrorContext(QStringLiteral("Inläs"),
                                    {QStringLiteral("vid öppnande av KontoData (huvudregister)")},
                                    dump(dataPath));
            }))
        return;
    if (kind != ledger::Kind::Budget)
        return;
    const QString mallPath = accountFile(Module1.KontoNamn, QStringLiteral("B-mall"));
    trap(
        [&] {
            acc.bmall.open(mallPath);
            Module1.MallAntal = acc.bmall.count();
            // An empty template is learned from the confirmed postings.
            if (Module1.AntalPoster > 1 && acc.bmall.count() == 0)
                Skapa_BudgMall();
        },
        [&] {
            return ErrorContext(QStringLiteral("Inläs"),
                                {QStringLiteral("vid öppnande av B-mall (budgetmall)"),
                                 QStringLiteral("för konto ") + Module1.KontoNamn},
                                dump(mallPath));
        });
}

void HeadForm::Arr_Kontroller() {
    Command3->setText(QStringLiteral("Avbryt"));
    Command3->setEnabled(true);
    Command2->setText(QStringLiteral("Flytta"));
    Module1.EditMode = QStringLiteral("flt");
    setAvailable(Radko_mn, true);
    setAvailable(utskrstat_mn, true);
    const bool budget = Module1.KontoSlag == QLatin1String("Bg");
    if (!budget && Module1.KontoSlag != QLatin1String("Ek"))
        return;
    placeForKind(budget);
    setAvailable(bupl_mn, budget);
    Command1->setVisible(budget);
    Command1->setEnabled(false);
    if (budget)
        Command1->setText(QStringLiteral("Bekräfta"));
    Command2->setEnabled(true);
    const QList<QWidget*> entry =
        budget
            ? QList<QWidget*>{BudgBel_Budget,
                              VerklBel_Budget,
                              TransText_Budget,
                              TransCombo_Budget,
                              H_TransOptionBudg,
                              S_TransOptionBudg,
                              Label2,
                              Label3,
                              Label4}
            : QList<QWidget*>{
                  Bel_Enkel, TransText_Enkel, TransCombo_Enkel, H_TransOptionEnk, S_TransOptionEnk,
                  Label10,   Label1};
    for (QWidget* w : entry)
        w->setEnabled(true);
    for (QLabel* l : budget ? QList<QLabel*>{Label16, Label17} : QList<QLabel*>{Label20, Label21})
        l->clear();
}

void HeadForm::Lock_Kontroller() {
    Command1->setEnabled(false);
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    if (Module1.KontoSlag == QLatin1String("Ek")) {
        TransText_Enkel->clear();
        Bel_Enkel->clear();
        TransCombo_Enkel->setCurrentIndex(-1);
        for (QWidget* w : QList<QWidget*>{TransText_Enkel, Bel_Enkel, TransCombo_Enkel,
                                          H_TransOptionEnk, S_TransOptionEnk, Label10, Label11})
            w->setEnabled(false);
    } else if (Module1.KontoSlag == QLatin1String("Bg")) {
        TransText_Budget->clear();
        BudgBel_Budget->clear();
        VerklBel_Budget->clear();
        TransCombo_Budget->setCurrentIndex(-1);
        for (QWidget* w :
             QList<QWidget*>{TransText_Budget, BudgBel_Budget, VerklBel_Budget, TransCombo_Budget,
                             H_TransOptionBudg, S_TransOptionBudg, Label2, Label3, Label4})
            w->setEnabled(false);
    }
    setAvailable(Radko_mn, false);
    setAvailable(bupl_mn, false);
    setAvailable(utskrstat_mn, false);
}

void HeadForm::Lock_menues() {
    menusLocked_ = true;
    setAvailable(bupl_mn, false);
    setAvailable(utskrstat_mn, false);
    setAvailable(Donera_mn, false);
    refreshEntries();
}

void HeadForm::Unlock_menues() {
    menusLocked_ = false;
    refreshEntries();
    setAvailable(utskrstat_mn, true);
    setAvailable(Donera_mn, true);
    setAvailable(bupl_mn, Module1.KontoSlag == QLatin1String("Bg"));
}

void HeadForm::Lock_trans() {
    for (QWidget* w : isBudget() ? QList<QWidget*>{TransText_Budget, TransCombo_Budget,
                                                   H_TransOptionBudg, S_TransOptionBudg, Label2}
                                 : QList<QWidget*>{TransText_Enkel, TransCombo_Enkel,
                                                   H_TransOptionEnk, S_TransOptionEnk, Label10})
        w->setEnabled(false);
}

void HeadForm::Unlock_trans() {
    for (QWidget* w : isBudget() ? QList<QWidget*>{TransText_Budget, TransCombo_Budget,
                                                   H_TransOptionBudg, S_TransOptionBudg, Label2}
                                 : QList<QWidget*>{TransText_Enkel, TransCombo_Enkel,
                                                   H_TransOptionEnk, S_TransOptionEnk, Label10})
        w->setEnabled(true);
}

void HeadForm::Lock_Konto() {
    Combo3->setEnabled(false);
    Label22->setEnabled(false);
}

void HeadForm::Unlock_Konto() {
    Combo3->setEnabled(true);
    Label22->setEnabled(true);
}

void HeadForm::Nykonto_mn_Click() {
    long count = 0;
    if (!trap([&] { count = openRecordFile<KontoFilPost>(kontoFilPath()).count(); },
              [] {
                  const QStringList lines = {
                      QStringLiteral("vid försök att lägga upp ett nytt konto."),
                      QStringLiteral("Kontoregistret (KontoFil) kan inte läsas.")};
                  return ErrorContext(QStringLiteral("Nykonto_mn_Click"), lines, lines);
              }))
        return;
    if (count < 1) {
        First_account();
        return;
    }
    if (platform::messages().show(QStringLiteral("Vill du lägga till ett nytt konto ?"),
                                  Buttons::YesNo, Icon::None,
                                  QStringLiteral("Nytt konto")) != Answer::No)
        nyKontoForm().Form_Load();
    else
        Command3->setFocus();
}

void HeadForm::Text10_Click() {
    Nykonto_mn_Click();
}

void HeadForm::Text10_MouseMove() {
    if (HelpHold >= 1)
        return;
    if (Combo3->count() > 0) {
        setHelp(QStringLiteral("Konto"),
                QStringLiteral("Klicka för att skapa ett nytt konto, eller välj ett befintligt "
                               "från listan !"));
        Text10->setToolTip(QStringLiteral("Klicka för att lägga in nytt konto !"));
    } else {
        setHelp(QStringLiteral("Konto"), QStringLiteral("Klicka för att skapa ett första konto !"));
        Text10->setToolTip(QStringLiteral("Klicka för att lägga in första kontot !"));
    }
}

} // namespace fyn
