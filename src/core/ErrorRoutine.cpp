#include "core/ErrorRoutine.h"

#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/State.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

#include <QDir>
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
        const QString text =
            QStringLiteral(
                "'Permission denied' !\n\n"
                "Programmet fick inte skriva eller läsa en av sina filer i datamappen\n") +
            QDir::toNativeSeparators(dataFolder()) +
            QStringLiteral(
                " !\n\n"
                "Datamappen och filerna i den måste vara skrivbara för dig som användare."
                " Kontrollera att mappen tillhör dig eller att du har skrivrätt till den,"
                " och att disken eller minnesstickan som den ligger på inte är monterad"
                " skrivskyddad !");
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
