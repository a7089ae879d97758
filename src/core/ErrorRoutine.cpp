#include "core/ErrorRoutine.h"

#include "core/Numbers.h"
#include "core/State.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

#include <cmath>

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

void GeneralError() {
    using platform::Buttons;
    using platform::Icon;
    if (trimBlanks(Module1.SysFel) == platform::kPermissionDenied) {
        const QString text = QStringLiteral(
            "'Permission denied' !\n\n"
            "Ditt datorsystem tillåter troligen inte att filer, genererade"
            " av programmet, placeras eller skrivs/läses till/från systemdisken C:\\ !"
            "\n\n"
            "Det kan med vissa systeminställningar, vara kinkigt med"
            " tillåtelsen för programmet att använda systemdisken (C:\\),"
            " om du nu har valt att placera dina konton där."
            " Jag rekommenderar därför att du placerar dem på en andra hårdisk,"
            " om sådan finns !"
            "\n\n"
            "Som antyds redan i installationsinformationen, rekommenderas"
            " också att du sänker User Account Control (UAC) till den lägsta nivån,"
            " vilken tillåter även ocertifierade program - som detta - att köras"
            " på din dator.");
        platform::messages().show(text, Buttons::Ok, Icon::Information,
                                  QStringLiteral("Otillåten filåtkomst"));
        return;
    }
    const QString text =
        Module1.FelText +
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
