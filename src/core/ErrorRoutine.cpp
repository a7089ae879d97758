#include "core/ErrorRoutine.h"

#include "core/FileIdentity.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/State.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <utility>

namespace fyn {

namespace {
std::function<void()>& reportFormOpener() {
    static std::function<void()> opener;
    return opener;
}
} // namespace

void setReportFormOpener(std::function<void()> opener) {
    reportFormOpener() = std::move(opener);
}

namespace {

const QString kMountedReadOnly =
    QStringLiteral("och att disken eller minnesstickan som den ligger på inte är monterad"
                   " skrivskyddad");

// The text for a refused access: the file or folder the system refused by its
// path when it is known, and the data folder only when that path lies in it.
QString permissionDeniedText(const QString& refused) {
    const QString head = QStringLiteral("'Permission denied' !\n\n");
    const QString data = QDir::toNativeSeparators(dataFolder());
    const QString dataAdvice =
        QStringLiteral(
            "Datamappen och filerna i den måste vara skrivbara för dig som användare."
            " Kontrollera att mappen tillhör dig eller att du har skrivrätt till den, ") +
        kMountedReadOnly + QStringLiteral(" !");
    if (refused.isEmpty())
        return head +
               QStringLiteral(
                   "Programmet fick inte skriva eller läsa en av sina filer i datamappen\n") +
               data + QStringLiteral(" !\n\n") + dataAdvice;
    const QFileInfo info(refused);
    const bool folder = info.isDir() && !info.isSymLink();
    const QString what =
        (folder ? QStringLiteral("Programmet fick inte skriva eller läsa i mappen\n")
                : QStringLiteral("Programmet fick inte skriva eller läsa filen\n")) +
        QDir::toNativeSeparators(refused) + QStringLiteral(" !\n\n");
    if (liesInDataFolder(refused))
        return head + what + QStringLiteral("Den ligger i programmets datamapp ") + data +
               QStringLiteral(". ") + dataAdvice;
    const QString place = folder ? refused : info.absolutePath();
    return head + what + QStringLiteral("Kontrollera att du har skrivrätt till mappen ") +
           QDir::toNativeSeparators(place) + QStringLiteral(" ") + kMountedReadOnly +
           QStringLiteral(", eller välj en annan plats !");
}

} // namespace

void GeneralError() {
    using platform::Buttons;
    using platform::Icon;
    if (trimBlanks(Module1.SysFel) == platform::kPermissionDenied) {
        // The refused path belongs to this failure only.
        const QString refused = std::exchange(Module1.FelPath, QString());
        platform::messages().show(permissionDeniedText(refused), Buttons::Ok, Icon::Information,
                                  QStringLiteral("Otillåten filåtkomst"));
        return;
    }
    // A full disk is named, with the file it refused: the drive may be a stick.
    const QString refused = std::exchange(Module1.FelPath, QString());
    QString full;
    if (trimBlanks(Module1.SysFel) == platform::kDiskFull) {
        const QString place = refused.isEmpty() ? dataFolder() : refused;
        full = QStringLiteral("\nDisken är full: det finns ingen plats kvar på enheten ") +
               QDir::toNativeSeparators(mountPointOf(place)) +
               (refused.isEmpty()
                    ? QString()
                    : QStringLiteral(" för filen\n") + QDir::toNativeSeparators(refused)) +
               QStringLiteral(" .\nFrigör utrymme på den, och försök sedan igen !\n");
    }
    const QString text =
        Module1.FelText + full +
        QStringLiteral(
            "\nOfta beror fel på någon störning i filhanteringen, att"
            " någon programfil har blivit 'korrupt', har hanterats eller"
            " flyttats utanför programmet !"
            "\nDet är viktigt ha någon form av backup på arbetsfilerna, för att"
            " minimera förlust av data."
            " (Se vidare Backup under Info/Hjälp !)"
            "\n\nFel kan givetvis också bero på programfel, t ex"
            " ofullständig anpassning till specifikt driftsfall."
            "\nDet är nästan omöjligt förutse alla tänkbara driftsfall vid programmering,"
            " så det är av stor vikt att problem blir kända och finner sin lösning !"
            "\n\nÄr filer och kataloger opåverkade, prova då med omstart av programmet"
            " - även med omstart av datorn !"
            "\nÅterkommer ändå felet, kanske du vill skicka en"
            " felrapport där du kort kan beskriva hur felet uppstår ! ?"
            "\n\nVill du skapa en felrapport ?");
    const platform::Answer answer = platform::messages().show(
        text, Buttons::YesNo, Icon::None, QStringLiteral("Felspec. = ") + Module1.SysFel);
    if (answer != platform::Answer::No && reportFormOpener())
        reportFormOpener()();
}

void Pause(int seconds) {
    platform::Clock& clock = platform::clock();
    // The start is the seconds-since-midnight clock rounded half to even; the
    // wait runs on the monotonic clock so that midnight cannot stretch it.
    const double now = clock.secondsSinceMidnight();
    const double mono = clock.monotonicSeconds();
    const double start = std::nearbyint(now); // the default rounding is half to even
    const double until = mono + (start + seconds - now);
    while (clock.monotonicSeconds() < until)
        clock.processEvents();
}

} // namespace fyn
