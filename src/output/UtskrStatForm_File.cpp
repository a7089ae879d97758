// The output dialog's text-file listing: the save box, the file written in
// one piece and the message that it is there.
#include "core/Codec1252.h"
#include "core/Errors.h"
#include "core/Paths.h"
#include "core/State.h"
#include "output/HandlerTrap.h"
#include "output/OutputTarget.h"
#include "output/UtskrStatForm.h"
#include "platform/FileDialogs.h"
#include "platform/Platform.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>

namespace fyn {

using output::Column;
using output::Variant;

namespace {

QString num(long n) {
    return QString::number(n);
}

} // namespace

void UtskrStatForm::FilePrint() {
    Datum_Reset();
    const Variant v = chosenVariant();
    // A combination that lists nothing writes no file and reports nothing.
    if (v == Variant::None) {
        Avbr_FilUtskr();
        return;
    }
    const QString path = chooseTextFile();
    if (path.isEmpty()) { // cancelled, or refused with its reason
        Avbr_FilUtskr();
        return;
    }
    OutFileName = path;

    // The listing is made whole in memory and written in one piece. A record
    // that does not read stops it; what came before it is still written.
    QByteArray bytes;
    output::TextProgress progress;
    progress.line = CurrentLine;
    const QByteArray prefix = output::pageHeaderPrefix(OutKontoNamn, Module1.DagensDatum);
    const QString routine =
        output::variantName(v).replace(QStringLiteral("Pr_"), QStringLiteral("FilPr_"));
    auto fileContext = [&] {
        ErrorContext c(QStringLiteral("FilePrint"), {},
                       {QStringLiteral("Filbenämning: ") + OutFileName,
                        QStringLiteral("Markering Check1: ") + checkValue(Check1),
                        QStringLiteral("Markering Check2: ") + checkValue(Check2),
                        QStringLiteral("Markering Check3: ") + checkValue(Check3)});
        c.messageSuffix = QStringLiteral(" vid utskriftssortering till textfil.");
        return c;
    };
    const QString fileHead =
        QStringLiteral("Fel i rutinen FilePrint vid utskriftssortering textfil.");
    auto variantContext = [&] {
        auto text = [&](Column c) {
            const int i = output::columnIndex(v, c);
            return i < 0 ? QString() : progress.line.text(i);
        };
        const QString prefixText = fromCp1252(prefix);
        QStringList dump;
        if (v == Variant::Pr_1)
            dump << QStringLiteral("RubrikSetting: ") + prefixText
                 << QStringLiteral("Tab verkl.belopp: 45")
                 << QStringLiteral("Bokföringsval: ") + OutKontoSlag;
        else if (v == Variant::Pr_3 || v == Variant::Pr_4)
            dump << QStringLiteral("RubrikSetting 1: ") + prefixText
                 << QStringLiteral("RubrikSetting 2: Budg.saldo")
                 << QStringLiteral("Tab budg.belopp: 45");
        else
            dump << QStringLiteral("RubrikSetting 1: ") + prefixText
                 << QStringLiteral("RubrikSetting 2: Verkl.belopp")
                 << QStringLiteral("Tab subtrans.: 33");
        dump << QStringLiteral("Senaste sökrecord i filen: ") + num(progress.record)
             << QStringLiteral("Sista record i filen: ") + num(StopRec)
             << QStringLiteral("Hämtad bokföringsdag: ") + text(Column::Date);
        if (v == Variant::Pr_1)
            dump << QStringLiteral("Hämtat belopp: ") + text(Column::Amount);
        else if (v == Variant::Pr_3 || v == Variant::Pr_4)
            dump << QStringLiteral("Hämtat budg.saldo: ") + text(Column::BudgBalance);
        else
            dump << QStringLiteral("Hämtat verkl.saldo: ") + text(Column::VerklBalance);
        ErrorContext c(routine, {}, dump);
        c.messageSuffix = QStringLiteral(" vid utskriftsförsök till textfil.");
        return c;
    };
    const QString heads[] = {
        {},
        QStringLiteral("Fel i rutinen FilPr_1 vid utskriftsförsök textfil (exkl. subtr & budget)"),
        {},
        QStringLiteral(
            "Fel i rutinen FilPr_3 vid utskriftsförsök textfil (exkl. subtr inkl budget)"),
        QStringLiteral(
            "Fel i rutinen FilPr_4 vid utskriftsförsök textfil (exkl. subtr inkl budget & diff)"),
        QStringLiteral(
            "Fel i rutinen FilPr_5 vid utskriftsförsök textfil (inkl. subtr inkl budget & diff)"),
        QStringLiteral(
            "Fel i rutinen FilPr_6 vid utskriftsförsök textfil (inkl subtr inkl budget exkl diff)"),
    };
    auto write = [&] {
        output::writeTextListing(bytes, Data, v, TopRec, StopRec, prefix, progress);
    };
    // The variant without a handler of its own reports through FilePrint's,
    // and then says nothing of a finished file.
    bool listed = true;
    if (v == Variant::Pr_2)
        listed = output::trapHandler(write, fileContext, fileHead);
    else
        output::trapHandler(write, variantContext, heads[int(v)]);
    CurrentLine = progress.line;
    CurrentRecord = progress.record;
    if (progress.record > 0)
        TopRec = progress.record;
    const bool saved =
        output::trapHandler([&] { output::saveTextFile(path, bytes); }, fileContext, fileHead);
    if (!listed || !saved)
        return;
    if (QDir::currentPath() != QDir(Module1.StartFolder).absolutePath())
        QDir::setCurrent(Module1.StartFolder);
    UtskrMedd();
}

void UtskrStatForm::FilPr_7() {
    StartRec = 1;
    TopRec = 1;
    StopRec = StatCount + 1;
    const QString path = chooseTextFile();
    if (path.isEmpty())
        return; // cancelled or refused: the dialog keeps its statistics
    OutFileName = path;
    // The file is made whole in memory and written in one piece under a
    // temporary name, so that a failure leaves no part of it behind.
    QByteArray bytes;
    output::TextProgress progress;
    const bool saved = output::trapHandler(
        [&] {
            output::writeStatisticsText(bytes, Stat, OutKontoNamn, Module1.DagensDatum,
                                        StatTransNamn, StatSummary, progress);
            output::saveTextFile(path, bytes);
        },
        [&] {
            ErrorContext c(QStringLiteral("FilPr_7"), {},
                           {QStringLiteral("RubrikSetting 1: ") +
                                fromCp1252(output::statTextLine2(StatTransNamn)),
                            QStringLiteral("RubrikSetting 2: Belopp"),
                            QStringLiteral("Tab subtrans.: 12"),
                            QStringLiteral("Senaste sökrecord i matrisen: ") + num(progress.record),
                            QStringLiteral("Sista record i filen: ") + num(StopRec),
                            QStringLiteral("Hämtad bokföringsdag: ") + progress.line.text(0),
                            QStringLiteral("Hämtat belopp: ") + progress.line.text(2)});
            c.messageSuffix = QStringLiteral(" vid utskriftsförsök statistik till textfil.");
            return c;
        },
        QStringLiteral("Fel i rutinen FilPr_7 vid utskriftsförsök textfil (statistik)"));
    if (!saved)
        return;
    if (QDir::currentPath() != QDir(Module1.StartFolder).absolutePath())
        QDir::setCurrent(Module1.StartFolder);
    UtskrMedd(); // it ends the statistics
}

QString UtskrStatForm::chooseTextFile() {
    return platform::chooseSaveFile(
        this, {QDir::currentPath(), {}, [this](const QString& p) { return refusedOutput(p); }});
}

bool UtskrStatForm::refusedOutput(const QString& path) {
    if (output::mayWriteOutput(path))
        return false;
    platform::messages().show(
        QStringLiteral("Utskriften kan inte sparas i programmets datamapp\n") +
            QDir::toNativeSeparators(dataFolder()) +
            QStringLiteral(" !\n\nVälj en annan mapp för textfilen."),
        platform::Buttons::Ok, platform::Icon::Warning,
        QStringLiteral("Konto- eller statistikutskrift "));
    return true;
}

void UtskrStatForm::UtskrMedd() {
    platform::messages().show(
        QStringLiteral("Utskriften finns nu tillgänglig på anvisad sökväg: ") + OutFileName +
            QStringLiteral(" !\n\nRekommenderas att filen öppnas med Anteckningar (NotePad)"
                           " och med font Courier New, fontstorlek 10 punkter ! \n"
                           "Detta för att visa raka och överskådliga kolumner.\n\n"
                           "Ovanstående fil kan med fördel printas ut !"),
        platform::Buttons::Ok, platform::Icon::Information,
        QStringLiteral("Konto- eller statistikutskrift "));
    if (StatMode != 0)
        Avbr_Statistik();
    else
        Avbr_FilUtskr();
}

} // namespace fyn
