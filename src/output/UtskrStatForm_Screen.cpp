// The output dialog's screen listing: a table of fifteen rows in Frame1 with
// the variant's headings, paged by four buttons.
#include "core/Errors.h"
#include "output/HandlerTrap.h"
#include "output/UtskrStatForm.h"
#include "platform/Ui.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace fyn {

using output::Column;
using output::Variant;
using platform::makeControl;
using platform::placeTwips;
using platform::twips;

namespace {

constexpr int kFormWidth = 14920;
constexpr int kGridLeft = 250;
constexpr int kGridRowsHeight = 4130;

QString num(long n) {
    return QString::number(n);
}

// The frame and the grid of each variant, in twips.
struct ScreenLayout {
    int frameWidth;
    int gridWidth;
};
ScreenLayout screenLayout(Variant v) {
    switch (v) {
    case Variant::Pr_1:
        return {6900, 6050};
    case Variant::Pr_2:
        return {9200, 8350};
    case Variant::Pr_3:
        return {9500, 8650};
    case Variant::Pr_4:
        return {10800, 9970};
    case Variant::Pr_5:
        return {13100, 12250};
    case Variant::Pr_6:
        return {11800, 10950};
    case Variant::None:
        break;
    }
    return {0, 0};
}

int columnWidth(Column c) {
    return c == Column::Date ? 1100 : output::isAmountColumn(c) ? 1300 : 2300;
}

Qt::Alignment alignmentOf(Column c) {
    const Qt::Alignment h = c == Column::Date           ? Qt::AlignHCenter
                            : output::isAmountColumn(c) ? Qt::AlignRight
                                                        : Qt::AlignLeft;
    return h | Qt::AlignVCenter;
}

// The error reports' first line and values for each variant.
QString screenDumpHead(Variant v) {
    switch (v) {
    case Variant::Pr_1:
        return QStringLiteral(
            "Fel i rutinen ScPr_1 vid utskriftsförsök skärm (exkl. subtr & budget)");
    case Variant::Pr_2:
        return QStringLiteral(
            "Fel i rutinen ScPr_2 vid utskriftsförsök skärm (inkl. subtr exkl. budget)");
    case Variant::Pr_3:
        return QStringLiteral("Fel i rutinen ScPr_3 vid utskriftsförsök skärm (exkl. subtr, "
                              "exkl. diff, inkl budg.)");
    case Variant::Pr_4:
        return QStringLiteral("Fel i rutinen ScPr_4 vid utskriftsförsök skärm (exkl. subtr, "
                              "inkl. diff, inkl budg.)");
    case Variant::Pr_5:
        return QStringLiteral("Fel i rutinen ScPr_5 vid utskriftsförsök skärm (inkl. subtr, "
                              "inkl. diff, inkl budg.)");
    case Variant::Pr_6:
        return QStringLiteral("Fel i rutinen ScPr_6 vid utskriftsförsök skärm (inkl subtr, inkl "
                              "budg, exkl diff.)");
    case Variant::None:
        break;
    }
    return {};
}

} // namespace

void UtskrStatForm::buildScreen() {
    Frame1 = makeControl<QFrame>(this, "Frame1");
    Frame1->setFrameShape(QFrame::Box);
    placeTwips(Frame1, 0, 2640, 6900, 5100);
    Frame1->hide();

    auto heading = [this](const char* name, const char* text) {
        auto* l = makeControl<QLabel>(Frame1, name, QString::fromUtf8(text));
        l->resize(twips(1300), twips(255));
        l->hide();
        return l;
    };
    Label15 = heading("Label15", "Datum");
    Label16 = heading("Label16", "Huvudtransaktion");
    Label17 = heading("Label17", "Subtransaktion");
    Label18 = heading("Label18", "Budg.bel.");
    Label19 = heading("Label19", "Verkl.bel.");
    Label20 = heading("Label20", "Budg.saldo");
    Label21 = heading("Label21", "Verkl.saldo");
    Label22 = heading("Label22", "Saldodiff.");
    Label24 = heading("Label24", "Belopp");
    Label25 = heading("Label25", "Saldo");

    Grid1 = makeControl<QTableWidget>(Frame1, "Grid1");
    Grid1->setRowCount(output::kPageRows);
    Grid1->horizontalHeader()->hide();
    Grid1->verticalHeader()->hide();
    Grid1->verticalHeader()->setMinimumSectionSize(1);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->setSelectionMode(QAbstractItemView::NoSelection);
    Grid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid1->setFont(platform::uiFont(platform::kArial, 8.25));
    Grid1->setAccessibleName(QStringLiteral("Kontoutskrift"));
    placeTwips(Grid1, kGridLeft, 480, 6050, kGridRowsHeight);
    const int rowHeight = (Grid1->height() - 2 * Grid1->frameWidth()) / output::kPageRows;
    for (int r = 0; r < output::kPageRows; ++r)
        Grid1->setRowHeight(r, rowHeight);

    auto scrollButton = [this](const char* name, int top, const char* text, const char* spoken) {
        auto* b = makeControl<QPushButton>(Frame1, name, QString::fromUtf8(text));
        placeTwips(b, kGridLeft + 6050, top, 300, 495);
        b->setAccessibleName(QString::fromUtf8(spoken));
        b->setToolTip(QString::fromUtf8(spoken));
        b->setAutoDefault(false);
        b->setEnabled(false);
        return b;
    };
    Command4 = scrollButton("Command4", 505, "\u2191", "En rad upp");
    Command5 = scrollButton("Command5", 1105, "\u21d1", "Femton rader upp");
    Command7 = scrollButton("Command7", 3500, "\u21d3", "Femton rader ner");
    Command6 = scrollButton("Command6", 4100, "\u2193", "En rad ner");
}

void UtskrStatForm::ScreenPrint() {
    Datum_Reset();
    const Variant v = chosenVariant();
    if (v != Variant::None)
        ScPr(v);
}

void UtskrStatForm::layoutTable(Variant v) {
    const ScreenLayout s = screenLayout(v);
    placeTwips(Frame1, (kFormWidth - s.frameWidth) / 2, 2640, s.frameWidth, 5100);

    // Every heading of another variant, or of the statistics, is hidden.
    for (QLabel* l : Frame1->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        l->hide();
    Label26->hide();
    Label27->hide();
    const auto cols = output::columnsOf(v);
    QLabel* const headingOf[] = {Label15, Label16, Label17, Label24, Label25,
                                 Label18, Label19, Label20, Label21, Label22};
    int left = kGridLeft;
    for (const Column c : cols) {
        QLabel* l = headingOf[int(c)];
        const int w = columnWidth(c);
        if (c == Column::Date) {
            placeTwips(l, 265, 220, w - 15, 255);
            l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        } else if (output::isAmountColumn(c)) {
            // Over the right-aligned amounts, ending where they end.
            placeTwips(l, left + 60, c == Column::Amount || c == Column::Balance ? 240 : 220,
                       w - 120, 255);
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        } else {
            placeTwips(l, left, 220, w, 255);
            l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
        l->show();
        left += w;
    }

    Grid1->setColumnCount(int(cols.size()));
    placeTwips(Grid1, kGridLeft, 480, s.gridWidth, kGridRowsHeight);
    for (int i = 0; i < int(cols.size()); ++i)
        Grid1->setColumnWidth(i, twips(columnWidth(cols[size_t(i)])));
    const int right = Grid1->x() + Grid1->width();
    for (QPushButton* b : {Command4, Command5, Command6, Command7})
        b->move(right, b->y());
    Frame1->show();
    OutputLevel = output::variantName(v);
}

void UtskrStatForm::drawRows(Variant v) {
    const auto cols = output::columnsOf(v);
    int r = 0;
    for (int i = TopRec; i <= TopRec + output::kPageRows - 1 && i <= StopRec; ++i, ++r) {
        CurrentRecord = i;
        Data.line(v, i, CurrentLine);
        for (int c = 0; c < int(cols.size()); ++c) {
            auto* cell = new QTableWidgetItem(CurrentLine.text(c));
            cell->setTextAlignment(alignmentOf(cols[size_t(c)]));
            Grid1->setItem(r, c, cell);
        }
    }
    // Rows below the period's last posting show nothing of an earlier table.
    for (; r < output::kPageRows; ++r)
        for (int c = 0; c < Grid1->columnCount(); ++c)
            delete Grid1->takeItem(r, c);
}

void UtskrStatForm::ScPr(Variant v) {
    CurrentRecord = 0;
    output::trapHandler(
        [&] {
            Grid1->hide();
            if (OutputLevel.isEmpty())
                layoutTable(v);
            drawRows(v);
            Grid1->show();
            ScrollButtons();
        },
        [&] {
            auto text = [&](Column c) {
                const int i = output::columnIndex(v, c);
                return i < 0 ? QString() : CurrentLine.text(i);
            };
            const bool budget = v != Variant::Pr_1 && v != Variant::Pr_2;
            QStringList dump{QStringLiteral("GridSetting: ") + OutputLevel};
            if (!budget)
                dump << QStringLiteral("Bokföringsval: ") + OutKontoSlag;
            dump << QStringLiteral("Senaste sökrecord i filen: ") + num(CurrentRecord)
                 << QStringLiteral("Stopprecord i filen: ") + num(StopRec)
                 << QStringLiteral("Hämtad bokföringsdag: ") + text(Column::Date);
            switch (v) {
            case Variant::Pr_1:
            case Variant::Pr_2:
                dump << QStringLiteral("Hämtat belopp: ") + text(Column::Amount);
                break;
            case Variant::Pr_3:
                dump << QStringLiteral("Hämtat belopp: ") + text(Column::BudgAmount)
                     << QStringLiteral("Hämtat verkl saldo: ") + text(Column::VerklBalance);
                break;
            case Variant::Pr_4:
                dump << QStringLiteral("Hämtat budg.belopp: ") + text(Column::BudgAmount)
                     << QStringLiteral("Hämtat verkl saldo: ") + text(Column::VerklBalance)
                     << QStringLiteral("Hämtad saldodiff: ") + text(Column::Diff);
                break;
            case Variant::Pr_5:
                dump << QStringLiteral("Hämtat subtransaktion: ") + text(Column::Sub)
                     << QStringLiteral("Hämtat budg. saldo: ") + text(Column::BudgBalance)
                     << QStringLiteral("Hämtad saldodiff: ") + text(Column::Diff);
                break;
            case Variant::Pr_6:
                dump << QStringLiteral("Hämtat subtransaktion: ") + text(Column::Sub)
                     << QStringLiteral("Hämtat budg.saldo: ") + text(Column::BudgBalance)
                     << QStringLiteral("Hämtad verkl.saldo: ") + text(Column::VerklBalance);
                break;
            case Variant::None:
                break;
            }
            ErrorContext c(
                output::variantName(v).replace(QStringLiteral("Pr_"), QStringLiteral("ScPr_")), {},
                dump);
            c.messageSuffix = QStringLiteral(" vid utskriftsförsök till skärm.");
            return c;
        },
        screenDumpHead(v));
}

void UtskrStatForm::ScrollButtons() {
    const output::ScrollEnabling e = output::scrollEnabling(TopRec, StartRec, StopRec);
    Command4->setEnabled(e.up);
    Command5->setEnabled(e.up);
    Command6->setEnabled(e.down);
    Command7->setEnabled(e.down);
}

void UtskrStatForm::UtskrLevel() {
    if (OutputLevel == QLatin1String("Pr_7")) {
        ScPr_7();
        return;
    }
    for (int i = 1; i <= 6; ++i)
        if (OutputLevel == output::variantName(Variant(i)))
            ScPr(Variant(i));
}

void UtskrStatForm::scroll(output::Scroll s) {
    TopRec = output::scrolled(s, TopRec, StartRec, StopRec);
    UtskrLevel();
}

void UtskrStatForm::Command4_MouseUp() {
    scroll(output::Scroll::RowUp);
}
void UtskrStatForm::Command5_MouseUp() {
    scroll(output::Scroll::PageUp);
}
void UtskrStatForm::Command6_MouseUp() {
    scroll(output::Scroll::RowDown);
}
void UtskrStatForm::Command7_MouseUp() {
    scroll(output::Scroll::PageDown);
}

} // namespace fyn
