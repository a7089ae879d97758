// The output dialog's printed listings: the set-up box, the document laid out
// on the printer and the confirmation once it has been handed over.
#include "core/Errors.h"
#include "core/State.h"
#include "output/HandlerTrap.h"
#include "output/UtskrStatForm.h"
#include "platform/Platform.h"
#include "platform/Printer.h"

namespace fyn {

using output::Column;
using output::Variant;

namespace {

QString num(long n) {
    return QString::number(n);
}

QString printDumpHead(Variant v) {
    switch (v) {
    case Variant::Pr_1:
        return QStringLiteral(
            "Fel i rutinen PriPr_1 vid utskriftsförsök printer (exkl subtr exkl budget)");
    case Variant::Pr_2:
        return QStringLiteral(
            "Fel i rutinen PriPr_2 vid utskriftsförsök printer (inkl subtr exkl budget)");
    case Variant::Pr_3:
        return QStringLiteral("Fel i rutinen PriPr_3 vid utskriftsförsök printer (exkl subtr "
                              "inkl budget exkl diff)");
    case Variant::Pr_4:
        return QStringLiteral("Fel i rutinen PriPr_4 vid utskriftsförsök printer (exkl subtr "
                              "inkl budget inkl diff)");
    case Variant::Pr_5:
        return QStringLiteral("Fel i rutinen PriPr_5 vid utskriftsförsök printer (inkl subtr "
                              "inkl budget inkl diff)");
    case Variant::Pr_6:
        return QStringLiteral("Fel i rutinen PriPr_6 vid utskriftsförsök printer (inkl subtr "
                              "inkl budget exkl diff)");
    case Variant::None:
        break;
    }
    return {};
}

// Runs the printing; a document that fails on the way is dropped before the
// failure is reported, so that no part of it comes out or stays behind. The
// printer's failure is reported as the runtime's, with what it refused.
template <class Body> auto dropOnFailure(platform::PrintJob& job, Body&& body) {
    return [&job, &body] {
        try {
            body();
        } catch (const platform::PrintFailure& f) {
            job.abortDoc();
            RuntimeError e(QString::fromStdString(f.what()));
            e.setPath(f.path());
            throw e;
        } catch (...) {
            job.abortDoc();
            throw;
        }
    };
}

} // namespace

std::unique_ptr<platform::PrintJob> UtskrStatForm::printSetup() {
    std::unique_ptr<platform::PrintJob> job = platform::printers().setup(this);
    // A PDF file is checked as a text file is, before a byte of it is made.
    if (job && !job->fileName().isEmpty() && refusedOutput(job->fileName())) {
        job->abortDoc();
        return nullptr;
    }
    return job;
}

void UtskrStatForm::PrPrint() {
    Datum_Reset();
    // A combination that lists nothing prints nothing, and asks for no printer.
    const Variant v = chosenVariant();
    if (v != Variant::None)
        PriPr(v);
}

void UtskrStatForm::PriPr(Variant v) {
    const QString prefix = output::printHeaderPrefix(OutKontoNamn, Module1.DagensDatum);
    const std::unique_ptr<platform::PrintJob> job = printSetup();
    if (!job)
        return; // cancelled or refused: nothing printed
    output::PrintProgress progress;
    progress.line = CurrentLine;
    const QString routine =
        output::variantName(v).replace(QStringLiteral("Pr_"), QStringLiteral("PriPr_"));
    const bool printed = output::trapHandler(
        dropOnFailure(*job,
                      [&] {
                          output::printListing(*job, Data, v, TopRec, StopRec, prefix, progress);
                          job->endDoc();
                      }),
        [&] {
            auto text = [&](Column c) {
                const int i = output::columnIndex(v, c);
                return i < 0 ? QString() : progress.line.text(i);
            };
            QStringList dump{QStringLiteral("RubrikSetting 1: ") + prefix,
                             QStringLiteral("RubrikSetting 2: ") +
                                 (v == Variant::Pr_1 || v == Variant::Pr_2
                                      ? QStringLiteral("Belopp")
                                      : QStringLiteral("Verkl.belopp")),
                             QStringLiteral("Tab huvudtrans.: 2000")};
            if (v == Variant::Pr_1 || v == Variant::Pr_2)
                dump << QStringLiteral("Bokföringsval: ") + OutKontoSlag;
            dump << QStringLiteral("Senaste sökrecord: ") + num(progress.record)
                 << QStringLiteral("Sista record i filen: ") + num(StopRec)
                 << QStringLiteral("Hämtad bokföringsdag: ") + text(Column::Date);
            if (v == Variant::Pr_1 || v == Variant::Pr_2)
                dump << QStringLiteral("Hämtat belopp: ") + text(Column::Amount);
            else if (v == Variant::Pr_3)
                dump << QStringLiteral("Hämtat verkl.belopp: ") + text(Column::VerklAmount);
            else if (v == Variant::Pr_4)
                dump << QStringLiteral("Hämtat verkl.saldo: ") + text(Column::VerklBalance);
            else if (v == Variant::Pr_5)
                dump << QStringLiteral("Hämtad saldodiff: ") + text(Column::Diff);
            else
                dump << QStringLiteral("Hämtat budg.saldo: ") + text(Column::BudgBalance);
            ErrorContext c(routine, {}, dump);
            c.messageSuffix = QStringLiteral(" vid utskriftsförsök till printer.");
            return c;
        },
        printDumpHead(v));
    CurrentLine = progress.line;
    CurrentRecord = progress.record;
    if (printed)
        PrinterMsg();
}

void UtskrStatForm::PrinterMsg() {
    platform::messages().show(QStringLiteral("Utskrift har skickats till printer för konto:\n\n") +
                                  OutKontoNamn + QLatin1Char('\n'),
                              platform::Buttons::Ok, platform::Icon::Information,
                              QStringLiteral("Printerutskrift"));
}

void UtskrStatForm::PriPr_7() {
    const std::unique_ptr<platform::PrintJob> job = printSetup();
    if (!job)
        return; // cancelled or refused: the dialog keeps its statistics
    StartRec = 1;
    TopRec = 1;
    StopRec = StatCount + 1;
    output::PrintProgress progress;
    const QString line2 =
        QStringLiteral("Statistik, transaktionen: '") + StatTransNamn + QStringLiteral("' ");
    const bool printed = output::trapHandler(
        dropOnFailure(*job,
                      [&] {
                          output::printStatistics(*job, Stat, OutKontoNamn, Module1.DagensDatum,
                                                  StatTransNamn, StatSummary, progress);
                          job->endDoc();
                      }),
        [&] {
            ErrorContext c(QStringLiteral("PriPr_7"), {},
                           {QStringLiteral("RubrikSetting 1: ") + line2,
                            QStringLiteral("RubrikSetting 2: Belopp"),
                            QStringLiteral("Tab subtrans.: 2000"),
                            QStringLiteral("Senaste sökrecord i matrisen: ") + num(progress.record),
                            QStringLiteral("Sista record i filen: ") + num(StopRec),
                            QStringLiteral("Hämtad bokföringsdag: ") + progress.line.text(0),
                            QStringLiteral("Hämtat belopp: ") + progress.line.text(2)});
            c.messageSuffix = QStringLiteral(" vid utskriftsförsök statistik till printer.");
            return c;
        },
        QStringLiteral("Fel i rutinen PriPr_7 vid utskriftsförsök printer (statistik)"));
    if (!printed)
        return;
    PrinterMsg();
    Avbr_Statistik();
}

} // namespace fyn
