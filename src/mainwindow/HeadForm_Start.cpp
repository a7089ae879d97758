// Start-up, the first run and the exit.
#include "mainwindow/HeadForm.h"

#include "mainwindow/DialogSupport.h"
#include "mainwindow/HandlerTexts.h"

#include "core/DateText.h"
#include "core/Errors.h"
#include "core/FolderLock.h"
#include "core/InsetBox.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/PosFil.h"
#include "core/RecordFile.h"
#include "core/Register.h"
#include "core/SafeOpen.h"
#include "core/SafeWrite.h"
#include "core/State.h"
#include "core/TextFiles.h"
#include "ledger/Account.h"
#include "mainwindow/NyKontoForm.h"
#include "platform/Platform.h"
#include "platform/SysError.h"
#include "platform/WebPane.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <cerrno>
#include <pwd.h>
#include <sys/fsuid.h>
#include <sys/stat.h>

namespace fyn {

using handler::kindLine;

using platform::Answer;
using platform::Buttons;
using platform::Icon;

void HeadForm::Form_Load() {
    refreshEntries();
    bool ok = trap(
        [&] {
            WebBrowser1->navigate(platform::authorServer().webBase + QStringLiteral("Fyn_5.php"));
            Module1.DagensDatum = dateText(platform::clock().today());
            FormDate = Module1.DagensDatum;
            datumset();
            Module1.StartFolder = QDir::currentPath();
            Module1.BaseFolder = platform::drives().driveRoot(Module1.StartFolder);
            Module1.StartDrive = Module1.BaseFolder;
            FelSepMember = kFelSep;
        },
        [] {
            const QStringList lines = {QStringLiteral("vid laddning av programformuläret."),
                                       QStringLiteral("Felet uppträder vid storleksbe-"),
                                       QStringLiteral("stämning av höjd och bredd.")};
            ErrorContext c(QStringLiteral("Form_Load"), lines, lines);
            c.trailingLineFeeds = 2;
            return c;
        });
    if (ok) {
        ok = trap(
            [&] {
                GridSetting();
                if (QDir::currentPath() != Module1.StartFolder)
                    QDir::setCurrent(Module1.StartFolder);
                if (!QDir(dataFolder()).exists()) {
                    try {
                        createDataFolder();
                    } catch (const RuntimeError& e) {
                        // A disk that is full or fails; anything else is the start's error.
                        if (e.text() != platform::kDiskFull && e.text() != platform::kDeviceIo)
                            throw;
                        startWritesRefused(e, false, true);
                    }
                }
                lockDataFolder();
                // A commit that a crash cut short is put back before anything is read,
                // and the window places' file is made: the start's own writes, which a
                // failing disk refuses before any account is opened.
                setJournalPath(dataFolder() + QStringLiteral("/.journal"));
                struct stat st {};
                const bool journalWaits = safeLstat(journalPath(), st) == 0;
                try {
                    recoverJournal();
                    if (safeLstat(posFilPath(), st) != 0 && errno == ENOENT)
                        ensureFileExists(posFilPath());
                } catch (const RuntimeError& e) {
                    startWritesRefused(e, journalWaits, false);
                }

                show();
                // A damaged place is reported; the accounts open all the same.
                trap([&] { restoreWindowPosition(*this, WindowPos::HeadForm); },
                     [] {
                         return ErrorContext(
                             QStringLiteral("Form_Load"),
                             {QStringLiteral("vid laddning av programformuläret."),
                              QStringLiteral("Fönstrets läge i PosFil kan inte läsas.")},
                             {QStringLiteral("vid laddning av programformuläret."),
                              QStringLiteral("PosFil, fält 1-2")});
                     });
                Inläs_Kontofil();
                ClickedRow = -1;
            },
            [] {
                const QStringList lines = {QStringLiteral("vid laddning av programformuläret."),
                                           QStringLiteral("Felet uppträder vid sättning"),
                                           QStringLiteral("av hem- och windowskatalog.")};
                ErrorContext c(QStringLiteral("Form_Load"), lines, lines);
                c.trailingLineFeeds = 2;
                return c;
            });
    }
    // A start that failed before the window showed would leave an invisible
    // program holding the data folder: the error has been shown, so it ends.
    if (!ok && !isVisible()) {
        lock_.reset();
        platform::programEnd().endNow();
    }
}

namespace {

// What refused: the data folder itself, its lock file, or (at a first start)
// the folder where the data folder was to be made.
enum class Refuser { Folder, LockFile, Parent };

// Why the folder cannot be written (or made), and what to do; the user whose
// rights the program has is the one to compare with.
QString notWritableText(const QString& folder, const QString& refused, int error, Refuser by) {
    const QString it =
        by == Refuser::LockFile
            ? QStringLiteral("dess låsfil\n%1\n").arg(QDir::toNativeSeparators(refused))
        : by == Refuser::Parent
            ? QStringLiteral("mappen\n%1\n").arg(QDir::toNativeSeparators(refused))
            : QStringLiteral("den ");
    const QString where = by == Refuser::Parent ? QStringLiteral("mappen där datamappen ska ligga")
                                                : QStringLiteral("datamappen och filerna i den");
    QString why;
    QString todo;
    struct stat st {};
    const bool stated = ::stat(QFile::encodeName(refused).constData(), &st) == 0;
    // The user whose rights the files are opened with (-1 asks, changes nothing).
    const uid_t self = uid_t(::setfsuid(uid_t(-1)));
    if (error == EROFS) {
        why = QStringLiteral("eftersom disken eller minnesstickan som den ligger på är "
                             "monterad skrivskyddad (bara för läsning).");
        todo = QStringLiteral("Skjut minnesstickans skrivskydd till olåst läge, eller montera "
                              "disken med skrivrätt, och starta sedan programmet igen !");
    } else if ((error == EACCES || error == EPERM) && stated && st.st_uid != self) {
        const passwd* pw = ::getpwuid(st.st_uid);
        const QString owner = pw ? QString::fromLocal8Bit(pw->pw_name)
                                 : QStringLiteral("användar-id %1").arg(st.st_uid);
        why = QStringLiteral("eftersom ") + it +
              QStringLiteral("tillhör en annan användare (%1).").arg(owner);
        todo = QStringLiteral("Starta programmet som den användaren, eller låt den användaren "
                              "(eller en administratör) göra dig till ägare av ") +
               where + QStringLiteral(", och starta sedan programmet igen !");
    } else if (error == EACCES || error == EPERM) {
        why = QStringLiteral("eftersom du saknar skrivrätt till ") + it.trimmed() +
              QStringLiteral(".");
        todo = QStringLiteral("Ge dig själv skrivrätt till ") + where +
               QStringLiteral(" (i filhanteraren under Egenskaper, Rättigheter), och starta "
                              "sedan programmet igen !");
    } else {
        why = QStringLiteral("eftersom systemet svarar: %1.").arg(platform::sysErrorText(error));
        todo = QStringLiteral("Kontrollera disken som datamappen ligger på, och starta sedan "
                              "programmet igen !");
    }
    const QString cannot = by == Refuser::Parent ? QStringLiteral("kan inte skapas, ")
                                                 : QStringLiteral("kan inte skrivas, ");
    return QStringLiteral("Datamappen\n%1\n").arg(QDir::toNativeSeparators(folder)) + cannot + why +
           QStringLiteral("\n\nProgrammet skriver i datamappen vid varje ändring och håller "
                          "den låst medan det arbetar, så det kan inte arbeta där.\n\n") +
           todo + QStringLiteral("\n\nProgrammet avslutas nu.");
}

} // namespace

// The disk refused what the start writes (the data folder made at a first
// start, the journal finished, PosFil made): nothing of the accounts is
// opened, and the program ends with what to do.
void HeadForm::startWritesRefused(const RuntimeError& e, bool journalWaits, bool firstStart) {
    enum class Cause { Full, Failing, Other };
    const Cause cause = e.text() == platform::kDiskFull   ? Cause::Full
                        : e.text() == platform::kDeviceIo ? Cause::Failing
                                                          : Cause::Other;
    static const char* const kWhy[] = {
        "disken som den ligger på är full, så programmet kan inte skriva där",
        "disken som den ligger på svarar med fel när programmet skriver där",
        "programmet inte kan skriva där"};
    static const char* const kTodo[] = {
        "Frigör utrymme på disken och starta sedan programmet igen !",
        "Kopiera datamappen till en annan enhet (t ex en USB-minnessticka) så snart du kan, och "
        "kontrollera disken (anslutningen, och disken själv med systemets diskverktyg) innan du "
        "startar programmet igen !",
        "Kontrollera disken och rättigheterna till datamappen och filerna i den, och starta "
        "sedan programmet igen !"};
    static const char* const kTitle[] = {"Disken är full", "Disken svarar med fel",
                                         "Datamappen kan inte skrivas"};
    const int k = int(cause);
    const QString file =
        e.path().isEmpty() ? QString() : QStringLiteral(", vid ") + QFileInfo(e.path()).fileName();
    platform::messages().show(
        QStringLiteral("Datamappen\n%1\nkan inte %2, eftersom ")
                .arg(QDir::toNativeSeparators(dataFolder()),
                     firstStart ? QStringLiteral("skapas") : QStringLiteral("öppnas")) +
            QString::fromUtf8(kWhy[k]) + QStringLiteral(" (") + e.text() + file +
            (firstStart ? QStringLiteral(").\n\nInga konton har lagts upp.")
                        : QStringLiteral(").\n\nKontona har inte öppnats, och inget har "
                                         "ändrats.")) +
            (journalWaits ? QStringLiteral(" Det som inte hann slutföras när programmet senast "
                                           "avslutades ligger kvar i datamappen och slutförs när "
                                           "programmet startar på en disk som tar emot det.")
                          : QString()) +
            QStringLiteral("\n\n") + QString::fromUtf8(kTodo[k]) +
            QStringLiteral("\n\nProgrammet avslutas nu."),
        Buttons::Ok, Icon::Warning, QString::fromUtf8(kTitle[k]));
    lock_.reset();
    platform::programEnd().endNow();
}

// The data folder made at a first start, each missing folder on the way, as a
// change of the data folder: each name is synced into the folder that holds
// it, or a power cut could take the data folder with all written into it. A
// medium or folder that refuses to be written is said as an unwritable data
// folder is; any other refusal is the start's own error.
void HeadForm::createDataFolder() {
    const QString folder = QDir::cleanPath(dataFolder());
    const auto parentOf = [](const QString& f) { return QFileInfo(f).absolutePath(); };
    QStringList missing;
    QString at = folder;
    while (!QFileInfo::exists(at) && at != parentOf(at)) {
        missing.prepend(at);
        at = parentOf(at);
    }
    for (const QString& f : missing) {
        if (safeMkdir(f, 0777) != 0 && errno != EEXIST) {
            const int error = errno;
            if (error == EROFS || error == EACCES || error == EPERM) {
                platform::messages().show(notWritableText(folder, at, error, Refuser::Parent),
                                          Buttons::Ok, Icon::Warning,
                                          QStringLiteral("Datamappen kan inte skrivas"));
                platform::programEnd().endNow();
            }
            raiseErrno(error, f);
        }
        syncFolder(at);
        at = f;
    }
    if (!QFileInfo(folder).isDir())
        raiseError(platform::kPathNotFound);
}

// One program at a time on a data folder, and one that can write there.
void HeadForm::lockDataFolder() {
    lock_ = std::make_unique<FolderLock>();
    const FolderLock::Outcome outcome = lock_->acquire(dataFolder() + QStringLiteral("/.lock"));
    if (outcome == FolderLock::Outcome::Held)
        return;
    const int error = lock_->error();
    const QString refused = lock_->refused();
    lock_.reset(); // on without a lock, or not at all
    const QString folder = QDir::toNativeSeparators(dataFolder());
    // Without the lock another copy may be writing here: nothing is read or
    // written, the journal least of all.
    if (outcome == FolderLock::Outcome::NotWritable) {
        platform::messages().show(
            notWritableText(dataFolder(), refused, error,
                            refused != dataFolder() ? Refuser::LockFile : Refuser::Folder),
            Buttons::Ok, Icon::Warning, QStringLiteral("Datamappen kan inte skrivas"));
        platform::programEnd().endNow();
    }
    if (outcome == FolderLock::Outcome::Unusable) {
        const QString why = error == EISDIR  ? QStringLiteral("den är en mapp")
                            : error == ELOOP ? QStringLiteral("den är en symbolisk länk")
                                             : QStringLiteral("den är ingen vanlig fil");
        platform::messages().show(
            QStringLiteral("Datamappen\n%1\nkan inte låsas, eftersom låsfilen\n%2\n"
                           "inte kan öppnas och låsas som en vanlig fil: %3.\n\n"
                           "Utan låset kan programmet inte hindra att Fynlar, här eller på en "
                           "annan dator, skriver i samma data samtidigt.\n\n"
                           "Ta bort eller byt namn på det som ligger i låsfilens ställe och "
                           "starta sedan programmet igen !\n\nProgrammet avslutas nu.")
                .arg(folder, QDir::toNativeSeparators(dataFolder() + QStringLiteral("/.lock")),
                     why),
            Buttons::Ok, Icon::Warning, QStringLiteral("Låsfilen kan inte användas"));
        platform::programEnd().endNow();
    }
    if (outcome == FolderLock::Outcome::Busy) {
        platform::messages().show(QStringLiteral("Programmet är redan igång med datamappen\n%1\n\n"
                                                 "Använd det fönster som redan är öppet !")
                                      .arg(folder),
                                  Buttons::Ok, Icon::Warning,
                                  QStringLiteral("Fynlar är redan igång"));
        platform::programEnd().endNow();
    }
    if (outcome == FolderLock::Outcome::NoLocks &&
        platform::messages().show(
            QStringLiteral("Filsystemet där datamappen\n%1\nligger kan inte låsa filer.\n\n"
                           "Programmet kan därför inte hindra att Fynlar, här eller på en "
                           "annan dator, skriver i samma data samtidigt.\n\n"
                           "Öppna bara om du är säker på att Fynlar inte redan är igång "
                           "med denna datamapp !\n\n"
                           "Vill du öppna datamappen ändå ?")
                .arg(folder),
            Buttons::YesNo, Icon::Warning,
            QStringLiteral("Datamappen kan inte låsas")) == Answer::No)
        platform::programEnd().endNow();
}

void HeadForm::Inläs_Kontofil() {
    int level = 1;
    int region = 0;
    long reached = 0;
    trap(
        [&] {
            ledger::account().closeAll();
            // 1. Settings: the data folder's KontoIni, else an old one in the start
            // folder, else ask for the user name and write a new one.
            for (;;) {
                level = 1;
                const QString iniPath = kontoIniPath();
                if (QFile::exists(iniPath)) {
                    const KontoIniText ini = readKontoIni(iniPath);
                    level = 2;
                    if (ini.complete && !trimBlanks(ini.kontoNum).isEmpty() &&
                        !trimBlanks(ini.anvNamn).isEmpty()) {
                        Module1.AnvNamn = ini.anvNamn;
                        // A first line that is no number is reported; the start goes on
                        // with the first account of the register.
                        Module1.KontoNum = 0;
                        trap([&] { Module1.KontoNum = toInt(ini.kontoNum); },
                             [&] {
                                 ErrorContext c(QStringLiteral("Inläs_Kontofil"),
                                                {QStringLiteral("vid programstart och laddning av "
                                                                "kontoregister"),
                                                 QStringLiteral("Första raden i KontoIni är inget "
                                                                "kontonummer: ") +
                                                     ini.kontoNum},
                                                {QStringLiteral("vid laddning av kontoregister"),
                                                 QStringLiteral("Angivet kontonummer från Ini ") +
                                                     ini.kontoNum});
                                 // Reading the account number is the first level.
                                 c.messageSuffix = QStringLiteral(", Nivå = 1");
                                 return c;
                             });
                        break;
                    }
                    removeFile(iniPath);
                }
                level = 3;
                // The old layout kept its settings in the start folder; only read it.
                const QString oldIni =
                    QDir(Module1.StartFolder).filePath(QStringLiteral("KontoIni"));
                if (QFile::exists(oldIni)) {
                    const KontoIniText ini = readKontoIni(oldIni);
                    bool number = false;
                    const int num = trimBlanks(ini.kontoNum).toInt(&number);
                    if (ini.complete && number && !trimBlanks(ini.anvNamn).isEmpty()) {
                        Module1.KontoNum = num;
                        Module1.AnvNamn = ini.anvNamn;
                        WriteBatch batch;
                        writeKontoIni(batch, iniPath, Module1.KontoNum, Module1.AnvNamn);
                        batch.commit();
                        break;
                    }
                    QFile::remove(oldIni);
                }
                NamnReg();
                Module1.KontoNum = 1;
                WriteBatch batch;
                writeKontoIni(batch, iniPath, Module1.KontoNum, Module1.AnvNamn);
                batch.commit();
            }
            setWindowTitle(QStringLiteral("Moxels Fynlar 5 för ") + Module1.AnvNamn);

            // 3. The register; an old one in the start folder is taken over.
            level = 5;
            region = 5;
            bool migrate = false;
            long count = openRecordFile<KontoFilPost>(kontoFilPath()).count();
            const QString oldKontoFil =
                QDir(Module1.StartFolder).filePath(QStringLiteral("KontoFil"));
            if (count == 0 && QFile::exists(oldKontoFil) &&
                QFileInfo(oldKontoFil).absoluteFilePath() !=
                    QFileInfo(kontoFilPath()).absoluteFilePath()) {
                count = openExistingRecordFile<KontoFilPost>(oldKontoFil).count();
                migrate = count > 0;
            }
            if (count == 0) {
                First_account();
                return;
            }
            setAvailable(Radko_mn, true);
            if (migrate) {
                level = 6;
                region = 6;
                ledger::migrateOldLayout(oldKontoFil);
            }

            level = 7;
            region = 0;
            listAccounts();
            if (Combo3->count() == 0) { // only deleted slots
                First_account();
                return;
            }
            // A number that names no listed account opens the first one.
            level = 8;
            if (Combo3->findData(Module1.KontoNum) < 0)
                Module1.KontoNum = Combo3->itemData(0).toInt();
            Text10->setText(accountTextFor(Module1.KontoNum));

            level = 9;
            InstallDag();
            level = 10;
            reached = Module1.KontoNum;
            openAtStart();
        },
        [&] {
            ledger::account().closeAll();
            ErrorContext c(
                QStringLiteral("Inläs_Kontofil"),
                {QStringLiteral("vid programstart och laddning av kontoregister")},
                {QStringLiteral("vid laddning av kontoregister"),
                 QStringLiteral("Angivet kontonummer från Ini ") +
                     QString::number(Module1.KontoNum),
                 QStringLiteral("Skyltat konto: ") + Text10->text(),
                 QStringLiteral("Aktuell post vid inläsning ") + QString::number(reached),
                 QStringLiteral("Antal poster inlästa till listan ") +
                     QString::number(Combo3->count()),
                 kindLine(), QStringLiteral("Felet uppstod i konto ") + Module1.KontoNamn});
            c.messageSuffix = QStringLiteral(", Nivå = %1").arg(level);
            c.region = region;
            return c;
        });
}

void HeadForm::listAccounts() {
    Combo3->clear();
    const RecordFile kontoFil = openRecordFile<KontoFilPost>(kontoFilPath());
    for (const RegisterItem& item : registerItems(kontoFil))
        Combo3->addItem(item.text, item.number);
    Combo3->setCurrentIndex(-1);
}

QString HeadForm::accountTextFor(int number) const {
    const int i = Combo3->findData(number);
    return i < 0 ? QString() : trimBlanks(Combo3->itemText(i));
}

void HeadForm::NamnReg() {
    QString prompt =
        QStringLiteral("Ett program för Din hushållsekonomi\r\n\r\n"
                       "Välkommen att testa Moxels Fynlar !\r\n\r\n"
                       "Då Du startar programmet för första gången,"
                       " bör Du lämpligen skriva in Ditt användarnamn härnedan,"
                       " som fortsättningsvis kommer att visas överst !\r\n\r\n"
                       "Hoppas Du ska komma att gilla programmet, och att det blir till god"
                       " hjälp för hantering av Din ekonomi !\r\n\r\n"
                       "Blir Du väldigt nöjd, får Du gärna visa det genom en donation,"
                       " en uppmuntran för mig för fortsatt utveckling !\r\n\r\n"
                       "              Med Vänlig Hälsning\r\n"
                       "                     /Moxel");
    trap(
        [&] {
            for (;;) {
                const QString answer =
                    InsetInput(prompt, QStringLiteral("Ditt användarnamn"), QString());
                if (!trimBlanks(answer).isEmpty()) {
                    Module1.AnvNamn = answer;
                    return;
                }
                prompt = QStringLiteral("Användarnamn saknas !\nVill du avsluta programmet ?");
                if (platform::messages().show(prompt, Buttons::YesNo, Icon::None,
                                              QStringLiteral("Användarnamn")) != Answer::No)
                    Exit_Konto();
            }
        },
        [] {
            return ErrorContext(QStringLiteral("NamnReg"),
                                {QStringLiteral("vid inskrivning av användarnamn")},
                                {QStringLiteral("vid inskrivning av användarnamn")});
        });
}

void HeadForm::First_account() {
    if (platform::messages().show(QStringLiteral("Vill du lägga upp ett första konto nu ?"),
                                  Buttons::YesNo, Icon::None,
                                  QStringLiteral("Inget konto finns upplagt !")) == Answer::No) {
        NoAccount();
        return;
    }
    nyKontoForm().Form_Load();
    Module1.InstallDatum = Module1.DagensDatum;
}

void HeadForm::NoAccount() {
    if (platform::messages().show(QStringLiteral("Uppgifter om konton saknas och har\n"
                                                 "inte lästs in till programmet !\n\n"
                                                 "Vill du avsluta programmet nu ?"),
                                  Buttons::YesNo, Icon::None,
                                  QStringLiteral("KONTOUPPGIFT")) != Answer::No) {
        Exit_Konto();
        return;
    }
    platform::messages().show(QStringLiteral("Saknas uppgifter om konton !"), Buttons::Ok,
                              Icon::Information, QStringLiteral("KONTOUPPGIFT"));
    Text10->setText(QStringLiteral("Konto saknas !"));
    Lock_Kontroller();
}

void HeadForm::InstallDag() {
    const KontoFilPost rec = openRecordFile<KontoFilPost>(kontoFilPath()).get<KontoFilPost>(1);
    const QString name = accountNameOf(rec.KontoNamn);
    // A name that is no folder of the data folder is not read; opening it says why.
    if (!name.isEmpty() && !accountRefusal(name).isEmpty())
        return;
    Module1.KontoNamn = name;
    Module1.KontoNummer = trimBlanks(rec.KontoNummer);
    Module1.KontoSlag = trimBlanks(rec.KontoSlag);
    ledger::Kind kind;
    // A deleted first slot has no posting file to read.
    if (Module1.KontoNamn.isEmpty() || !ledger::kindOf(Module1.KontoSlag, kind))
        return;
    const QString path = accountFile(Module1.KontoNamn, QStringLiteral("KontoData"));
    if (!QFile::exists(path))
        return;
    const RecordFile data(path, ledger::recordLength(kind), RecordFile::Missing::Fail);
    if (data.count() > 0)
        Module1.InstallDatum = fromCp1252(data.readRaw(1).left(10));
}

namespace {

// A change that only the program's memory holds is lost when the program
// ends: the disk is asked once more, then the user, until the change is on
// disk, the user ends all the same (lost), or keeps the program open (false).
bool mayEnd(bool& lost) {
    lost = false;
    while (changeOnlyInMemory()) {
        try {
            checkpoint();
        } catch (const RuntimeError&) {
        }
        if (!changeOnlyInMemory())
            break;
        const Answer answer =
            platform::messages().show(unsavedAtExitText(), Buttons::YesNoCancel, Icon::Warning,
                                      QStringLiteral("Ändringen är inte sparad"));
        if (answer == Answer::Cancel)
            return false;
        if (answer == Answer::No) {
            lost = true;
            break;
        }
    }
    return true;
}

} // namespace

void HeadForm::Exit_Konto() {
    bool lost = false;
    if (!mayEnd(lost))
        return;
    // Ended with the change lost: nothing more is written, as the disk would
    // refuse it while the change waits.
    if (lost) {
        ledger::account().closeAll();
        exiting_ = true;
        lock_.reset();
        platform::programEnd().endNow();
    }
    const auto context = [] {
        return ErrorContext(QStringLiteral("Exit_Konto"),
                            {QStringLiteral("vid avslutning av programmet.")},
                            {QStringLiteral("vid avslutning av programmet.."),
                             QStringLiteral("Kontonummer att skriva till fil ") +
                                 QString::number(Module1.KontoNum)});
    };
    // Only the settings are unsaved here: a folder that cannot take them (read
    // only, full, gone) is reported once, and the program ends all the same.
    // Settings that stand but wait to be finished have been told of already.
    const bool saved =
        trap(
            [&] {
                WriteBatch batch;
                writeKontoIni(batch, kontoIniPath(), Module1.KontoNum, Module1.AnvNamn);
                batch.commit();
            },
            context) &&
        !changePending();
    // A place that cannot be stored must not keep the program from ending.
    positionQuietly([&] { saveWindowPos(WindowPos::HeadForm, pos()); });
    ledger::account().closeAll();
    // Everything on disk, the journal empty; what stays in the journal the next
    // start replays. A failing folder is not reported twice.
    if (saved) {
        trap([] { checkpoint(); }, context);
    } else {
        try {
            checkpoint();
        } catch (const RuntimeError&) {
        }
    }
    exiting_ = true;
    lock_.reset();
    platform::programEnd().endNow();
}

void HeadForm::Command4_Click() {
    Exit_Konto();
}
void HeadForm::Ex_mn_Click() {
    Exit_Konto();
}

} // namespace fyn
