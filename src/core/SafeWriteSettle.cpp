// A commit that stands but is not finished: what the user is told, and the
// files nobody reads until it is finished. Past its synced entry a commit is
// finished, never taken back; where even its entry could not be synced, the
// user is told plainly what is and is not certain.
#include "core/SafeWrite.h"
#include "core/SafeWriteRoads.h"

#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWriteJournal.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

#include <QDir>
#include <QFileInfo>

namespace fyn {
namespace safewrite {

namespace {

QString capitalized(QString s) {
    if (!s.isEmpty())
        s[0] = s[0].toUpper();
    return s;
}

QString dataFolderText() {
    return QDir::toNativeSeparators(dataRoot());
}

// How the disk answered, as the start of a sentence.
QString diskSaid(const QString& text) {
    return text == platform::kDiskFull
               ? QStringLiteral("Disken är full")
               : QStringLiteral("Disken svarar med fel ('") + text + QStringLiteral("')");
}

const QString kNothingMore =
    QStringLiteral("Tills dess sparas inget mer, och filerna som ändringen gäller läses inte.");

void warn(const QString& text, const QString& title) {
    platform::messages().show(text, platform::Buttons::Ok, platform::Icon::Warning, title);
}

} // namespace

void tellFinishLater(const Entry& entry, const RuntimeError& why) {
    bool settings = false;
    const QString what = describeChange(entry, settings);
    const bool full = why.text() == platform::kDiskFull;
    if (settings) {
        warn(diskSaid(why.text()) + QStringLiteral(". ") + capitalized(what) +
                 QStringLiteral(" kunde inte skrivas färdigt. De skrivs ") +
                 (full ? QStringLiteral("när det finns plats")
                       : QStringLiteral("när felet är "
                                        "åtgärdat")) +
                 QStringLiteral(", senast när programmet startar nästa gång.\n\nDina poster och "
                                "konton är sparade där de ligger: detta gäller bara "
                                "inställningarna."),
             QStringLiteral("Inställningarna sparas senare"));
        return;
    }
    const QString head =
        full ? QStringLiteral("Disken är full. Ändringen är påbörjad och slutförs när det finns "
                              "plats, senast när programmet startar nästa gång.")
             : QStringLiteral("Ändringen är påbörjad men kunde inte skrivas färdigt ('") +
                   why.text() +
                   QStringLiteral("'). Den slutförs när felet är åtgärdat, senast när "
                                  "programmet startar nästa gång.");
    warn(head + QStringLiteral("\n\nDet gäller ") + what +
             QStringLiteral(". Den är sparad i programmets logg över pågående ändringar, men "
                            "ännu inte i filerna.\n\n") +
             kNothingMore +
             (full ? QStringLiteral(" Frigör utrymme på disken där datamappen\n") +
                         dataFolderText() + QStringLiteral("\nligger !")
                   : QString()),
         QStringLiteral("Ändringen slutförs senare"));
}

void tellUncertain(const Entry& entry, const RuntimeError& why) {
    bool settings = false;
    const QString what = describeChange(entry, settings);
    // An entry neither synced nor cut off is on disk nowhere for certain: a
    // copy of the data folder lacks it, and so does the next start.
    const bool inMemory = journal().unsettled && journal().unsettled->entry;
    warn(diskSaid(why.text()) + QStringLiteral(": ") + what +
             QStringLiteral(" kunde inte sparas säkert. Programmet skriver den på nytt och "
                            "slutför den så snart disken tar emot den") +
             (inMemory ? QStringLiteral(". Till dess finns den bara i programmets minne: "
                                        "avslutas programmet eller kommer ett strömavbrott "
                                        "innan dess, går den förlorad.")
                       : QStringLiteral(", men ett strömavbrott innan dess kan göra att den går "
                                        "förlorad.")) +
             (settings ? QStringLiteral(" Dina poster och konton är sparade där de ligger.")
                       : QString()) +
             QStringLiteral("\n\n") + kNothingMore + QStringLiteral("\n\nKopiera datamappen\n") +
             dataFolderText() +
             QStringLiteral("\ntill en annan enhet (t ex en USB-minnessticka) så snart du kan !") +
             (inMemory ? QStringLiteral(" Kopian får med det som redan är sparat, men inte denna "
                                        "ändring.")
                       : QString()),
         QStringLiteral("Ändringen är inte säkert sparad"));
}

namespace {

// The exit's question: what the disk said, what is lost, the three ways on.
QString unsavedAtExit() {
    const Unsettled& u = *journal().unsettled;
    const bool full = u.text == platform::kDiskFull;
    return diskSaid(u.text) + QStringLiteral(". ") + capitalized(u.what) +
           QStringLiteral(" är inte sparad: den finns bara i programmets minne och går förlorad "
                          "om programmet avslutas nu.\n\nVill du försöka spara den igen ?\n\n"
                          "Ja: programmet försöker spara den på nytt.\n"
                          "Nej: programmet avslutas ändå, och ändringen går förlorad (om inte "
                          "disken trots felet hann ta emot den: se efter bland de senaste "
                          "posterna när programmet har startats igen).\n"
                          "Avbryt: programmet förblir öppet, så att du kan ") +
           (full ? QStringLiteral("frigöra utrymme på disken där datamappen\n") + dataFolderText() +
                       QStringLiteral("\nligger")
                 : QStringLiteral("åtgärda felet (t ex ansluta disken igen)")) +
           QStringLiteral(" och sedan avsluta igen.");
}

} // namespace

} // namespace safewrite

QString pendingChangeText() {
    const safewrite::JournalState& j = safewrite::journal();
    if (!j.unsettled)
        return {};
    // Nothing on disk holds it: neither the next start nor a copy finishes it.
    if (j.unsettled->entry && !j.unsettled->settingsOnly)
        return j.unsettled->what +
               QStringLiteral(", som ännu inte har kunnat sparas på disken (den finns bara i "
                              "programmets minne och går förlorad om programmet avslutas innan "
                              "den är sparad)");
    if (j.unsettled->settingsOnly)
        return j.unsettled->what + QStringLiteral(", som ännu inte har kunnat sparas färdigt "
                                                  "(dina poster är sparade där de ligger)");
    // A journal that is not the program's holds no change to finish.
    if (j.unsettled->aside)
        return j.unsettled->what;
    return j.unsettled->what + QStringLiteral(", som är påbörjad men ännu inte har kunnat "
                                              "slutföras (den slutförs senast när programmet "
                                              "startar nästa gång)");
}

bool changePending() {
    return safewrite::journal().unsettled.has_value();
}

bool changeOnlyInMemory() {
    const safewrite::JournalState& j = safewrite::journal();
    return j.unsettled && j.unsettled->entry && !j.unsettled->settingsOnly;
}

QString unsavedAtExitText() {
    return changeOnlyInMemory() ? safewrite::unsavedAtExit() : QString();
}

namespace safewrite {

void settleOrRefuse(const QString& before, const QString& after) {
    JournalState& j = journal();
    try {
        settle();
    } catch (const RuntimeError& e) {
        if (!j.unsettled)
            return; // only the journal's new head failed: nothing waits
        RuntimeError refused(e.text(), before + pendingChangeText() + after);
        refused.setPath(e.path());
        throw refused;
    }
}

} // namespace safewrite

void settleBeforeReading(const QString& path) {
    using namespace safewrite;
    JournalState& j = journal();
    if (!j.unsettled || !j.files.journalHolds(path))
        return;
    settleOrRefuse(QFileInfo(path).fileName() + QStringLiteral(", där "),
                   QStringLiteral(". Filen läses inte förrän det är gjort: frigör utrymme på "
                                  "disken eller åtgärda felet, och försök sedan igen"));
}

} // namespace fyn
