// The posting grids: the window of ten postings, scrolling, marking a posting,
// ticking its OK column, and the help text on hover.
#include "mainwindow/HeadForm.h"

#include "core/Amount.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/RecordFile.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "ledger/Engine.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <cstdlib>
#include <utility>

namespace fyn {

namespace {

const QString kSubscriptOutOfRange = QStringLiteral("Subscript out of range");

// The controls and texts in which the two grids differ.
struct Twin {
    PostingGrid* grid;
    QScrollBar* bar;
    QComboBox* combo;
    QLineEdit* transText;
    int okCol;      // the OK column: 4 or 7
    int amountCols; // the amount columns start at 2
    QString avb;    // the work mode of a marked posting
    QString kindLine;
};

Twin twin(HeadForm& f, bool budget) {
    if (budget)
        return {
            f.G2, f.VScroll2, f.TransCombo_Budget,    f.TransText_Budget,
            7,    5,          QStringLiteral("mkg2"), QStringLiteral("Kontoslag = BudgetKonto")};
    return {f.G1, f.VScroll1, f.TransCombo_Enkel,     f.TransText_Enkel,
            4,    2,          QStringLiteral("mkg1"), QStringLiteral("Kontoslag = Enkel bokf.")};
}

// An amount field as the grids show it: the absolute value grouped with two
// decimals, and "-" when the stored text begins with one (so "-0" keeps it).
QString amountText(const QString& field) {
    const QString text = ltrimBlanks(Amount::parse(field).abs().pattern());
    return field.startsWith(QLatin1Char('-')) ? QLatin1Char('-') + text : text;
}

void applyRange(QScrollBar* bar, const GridWindow& w) {
    bar->setRange(int(w.min), int(w.max));
}

QString rowText(const std::array<QString, 12>& row, int cols) {
    QStringList parts;
    for (int c = 0; c < cols; ++c)
        parts << row[c];
    return parts.join(QLatin1Char(' '));
}

QString num(long n) {
    return QString::number(n);
}

} // namespace

// ---- Layout -----------------------------------------------------------------

void HeadForm::GridSetting() {
    for (bool budget : {false, true}) {
        const Twin t = twin(*this, budget);
        t.grid->setRowCount(10);
        t.grid->resize(t.grid->width(), t.grid->rowsHeight());
        t.bar->setGeometry(t.grid->x() + t.grid->width(), t.grid->y(), platform::twips(255),
                           t.grid->height());
    }
}

// ---- The window of postings -------------------------------------------------

void HeadForm::ScrollSet_Enkel() {
    placeWindow(false);
}
void HeadForm::ScrollSet_Budget() {
    placeWindow(true);
}

void HeadForm::placeWindow(bool budget) {
    QScrollBar* bar = twin(*this, budget).bar;
    // The value and range set here raise the scroll handler, which must not act.
    Module1.ScrollBusy = 1;
    gridWindow_ = scrollSet(Module1.AntalPoster, Module1.PostNr);
    WindowEnd = gridWindow_.windowEnd;
    bar->setEnabled(true);
    bar->setRange(1, int(qMax(1L, Module1.AntalPoster)));
    bar->setValue(int(gridWindow_.value));
    bar->setEnabled(gridWindow_.enabled);
    applyRange(bar, gridWindow_);
    Module1.ScrollBusy = 0;
}

void HeadForm::VSC1_MaxMin() {
    gridWindow_.value = VScroll1->value();
    narrowRange(gridWindow_, Module1.AntalPoster);
    applyRange(VScroll1, gridWindow_);
}

void HeadForm::VSC2_MaxMin() {
    gridWindow_.value = VScroll2->value();
    narrowRange(gridWindow_, Module1.AntalPoster);
    applyRange(VScroll2, gridWindow_);
}

void HeadForm::VScroll1_Change() {
    scrollChanged(false);
}
void HeadForm::VScroll2_Change() {
    scrollChanged(true);
}

void HeadForm::scrollChanged(bool budget) {
    if (Module1.ScrollBusy >= 1)
        return;
    const Twin t = twin(*this, budget);
    GridWindow w = gridWindow_;
    w.windowEnd = WindowEnd;
    const bool reload = scrollTo(w, t.bar->value(), Module1.AntalPoster);
    // Stored before the clamped value is set: its change re-enters here and must
    // find the window already placed.
    gridWindow_ = w;
    WindowEnd = w.windowEnd;
    if (t.bar->value() != int(w.value))
        t.bar->setValue(int(w.value));
    if (!reload)
        return;
    if (budget) {
        Inläs_G2();
        OmLista_Budget();
        VSC2_MaxMin();
    } else {
        Inläs_G1();
        OmLista_Enkel();
        VSC1_MaxMin();
    }
    if (Module1.Avb == t.avb)
        Command3_Click();
}

void HeadForm::refreshWithoutCheck() {
    if (Module1.KontoSlag == QLatin1String("Ek")) {
        ScrollSet_Enkel();
        Inläs_G1();
        OmLista_Enkel();
    } else if (Module1.KontoSlag == QLatin1String("Bg")) {
        ScrollSet_Budget();
        Inläs_G2();
        OmLista_Budget();
    }
}

// ---- Loading and writing the grid ---------------------------------------------

void HeadForm::Inläs_G1() {
    loadGrid(false);
}
void HeadForm::Inläs_G2() {
    loadGrid(true);
}

void HeadForm::loadGrid(bool budget) {
    const Twin t = twin(*this, budget);
    const long first = t.bar->value();
    long r = 0;
    int row = 0;
    trap(
        [&] {
            for (auto& cells : GridRows)
                for (QString& cell : cells)
                    cell.clear();
            const ledger::PostingFile& data = ledger::account().kontoData;
            const RecordFile& transakt = ledger::account().transakt;
            for (r = first; r <= WindowEnd; ++r, ++row) {
                if (row >= int(GridRows.size()))
                    raiseError(kSubscriptOutOfRange);
                auto& cells = GridRows[row];
                const int transNr = inRecord(data.path(), r, [&] {
                    QString ref;
                    if (budget) {
                        const BudgetKontoPost p = data.budget(r);
                        cells[0] = trimBlanks(p.Datum);
                        ref = p.TransRef;
                        cells[2] = amountText(p.BudgBelopp);
                        cells[3] = amountText(p.VerklBelopp);
                        cells[4] = amountText(p.BudgSaldo);
                        cells[5] = amountText(p.VerklSaldo);
                        cells[6] = amountText(p.SaldoDiff);
                        cells[7] = p.Kryss;
                        cells[8] = p.BStatus;
                    } else {
                        const EnkelKontoPost p = data.enkel(r);
                        cells[0] = trimBlanks(p.Datum);
                        ref = p.TransRef;
                        cells[2] = amountText(p.Belopp);
                        cells[3] = amountText(p.Saldo);
                        cells[4] = p.Kryss;
                    }
                    return std::abs(toInt(ref));
                });
                cells[1] = trimBlanks(transakt.get<TransPost>(transNr).TransNamn);
            }
        },
        [&] {
            const int cols = t.okCol + 1;
            const int last = qBound(0, row, int(GridRows.size()) - 1);
            return ErrorContext(
                budget ? QStringLiteral("Inläs_G2") : QStringLiteral("Inläs_G1"),
                {budget ? QStringLiteral("vid försök att uppdatera Budgetkonto")
                        : QStringLiteral("vid försök att uppdatera Enkelt konto")},
                {QStringLiteral("Första beordrade matrispost ") + num(first),
                 QStringLiteral("Sista beordrade matrispost ") + num(WindowEnd),
                 QStringLiteral("Antal kontoposter ") + num(Module1.AntalPoster),
                 QStringLiteral("Aktuellt matrispostnr ") + num(r),
                 QStringLiteral("Första matrispost text ") + rowText(GridRows[0], cols),
                 QStringLiteral("Sista matrispost text ") + rowText(GridRows[last], cols),
                 t.kindLine, QStringLiteral("Felet uppstod i konto ") + Module1.KontoNamn});
        });
}

void HeadForm::OmLista_Enkel() {
    writeGrid(false);
}
void HeadForm::OmLista_Budget() {
    writeGrid(true);
}

void HeadForm::writeGrid(bool budget) {
    const Twin t = twin(*this, budget);
    PostingGrid* g = t.grid;
    int row = 0;
    trap(
        [&] {
            // Written with updates off so the grid repaints once.
            g->setUpdatesEnabled(false);
            g->clearTexts();
            for (row = 0; row < 10; ++row) {
                const auto& cells = GridRows[row];
                g->setCell(row, 0, cells[0], CellAlign::LeftBottom);
                g->setCell(row, 1, cells[1], CellAlign::LeftBottom);
                const bool planned = budget && cells[8] != QLatin1String("*");
                for (int c = 2; c < 2 + t.amountCols; ++c) {
                    g->setCell(row, c, cells[c], CellAlign::RightBottom);
                    if (planned)
                        g->setFore(row, c, kBlue);
                    else
                        g->setFore(row, c,
                                   g->cellText(row, c).startsWith(QLatin1Char('-')) ? kRed
                                                                                    : kBlack);
                }
                g->setCell(row, t.okCol, cells[t.okCol], CellAlign::CentreCentre);
            }
            if (MarkRow >= 0) {
                for (int r = 0; r < 10; ++r)
                    g->setRowBack(r, r == MarkRow ? kPaleRed : kPaleYellow);
            }
            g->setUpdatesEnabled(true);
        },
        [&] {
            return ErrorContext(
                budget ? QStringLiteral("OmLista_Budget") : QStringLiteral("OmLista_Enkel"),
                {QStringLiteral("vid skiftning i sammanställning för"),
                 budget ? QStringLiteral("Budgetbokföring") : QStringLiteral("Enkel Bokföring")},
                {budget ? QStringLiteral("vid skiftning Budget")
                        : QStringLiteral("vid skiftning Enkel"),
                 QStringLiteral("Kontopost markerad ?  ") + num(MarkRow),
                 (budget ? QStringLiteral("Grid2 rad 1 tömd ?  ")
                         : QStringLiteral("Grid1 rad1 tömd ?  ")) +
                     (g->cellText(0, 0).isEmpty() ? QStringLiteral("Ja !")
                                                  : QStringLiteral("Nej !")),
                 QStringLiteral("Matrispost nr ?  ") + num(row),
                 QStringLiteral("Sista matrispost innehåll ?  ") +
                     rowText(GridRows[9], t.okCol + 1),
                 t.kindLine, QStringLiteral("Felet uppstod i konto ") + Module1.KontoNamn});
        });
}

// ---- Clearing the marking -------------------------------------------------------

void HeadForm::Rensa_Mark_G1() {
    clearMark(false);
}
void HeadForm::Rensa_Mark_G2() {
    clearMark(true);
}

void HeadForm::clearMark(bool budget) {
    const Twin t = twin(*this, budget);
    MarkRecord = 0;
    Module1.TransNr = 0;
    MarkRow = -1;
    Module1.SubTransNr = 0;
    Module1.TransTecken.clear();
    MarkSign.clear();
    Module1.HuvudTrans.clear();
    Module1.SubTrans.clear();

    Unlock_trans();
    t.combo->setCurrentIndex(-1);

    Command1->setEnabled(false);
    if (!budget)
        Command1->setText(QString());
    Command2->setEnabled(true);
    Command2->setText(QStringLiteral("Flytta"));
    Module1.EditMode = QStringLiteral("flt");

    VerklBelOld.clear();
    VerklBelText.clear();
    if (budget) {
        BudgBelOld.clear();
        BudgBelText.clear();
    }

    t.transText->clear();
    if (budget) {
        TransText_Budget->setReadOnly(true);
        for (QLineEdit* e : {BudgBel_Budget, VerklBel_Budget}) {
            e->clear();
            e->setReadOnly(true);
            e->setEnabled(true);
        }
        Label3->setEnabled(true);
        Label4->setEnabled(true);
    } else {
        Bel_Enkel->clear();
        Bel_Enkel->setReadOnly(true);
        Bel_Enkel->setEnabled(true);
        Label11->setEnabled(true);
    }

    Command3->setText(QStringLiteral("Avbryt"));
    Module1.Avb.clear();

    Unlock_Konto();
    Unlock_menues();
    Picture1->setEnabled(true);

    t.grid->setUpdatesEnabled(false);
    for (int r = 0; r < 10; ++r)
        t.grid->setRowBack(r, kPaleYellow);
    t.grid->setUpdatesEnabled(true);

    if (Module1.AntalPoster > 10)
        t.bar->setEnabled(true);

    Frame3->setEnabled(true);
    FormDate = Module1.DagensDatum;
    datumset();
}

// ---- Clicking a row ---------------------------------------------------------------

void HeadForm::G1_Click(int row, int col) {
    gridClick(false, row, col);
}
void HeadForm::G2_Click(int row, int col) {
    gridClick(true, row, col);
}

void HeadForm::gridClick(bool budget, int row, int col) {
    ledger::PostingFile& data = ledger::account().kontoData;
    if (!data.isOpen())
        return;
    const Twin t = twin(*this, budget);
    PostingGrid* g = t.grid;
    const long n = Module1.AntalPoster;
    const long v = t.bar->value();
    int greenRow = 0;
    QString kryss, belopp, verklBelopp;
    trap(
        [&] {
            if (!MoveState.isEmpty()) {
                // A row below the last posting holds nothing to move.
                if (v + row > n)
                    return;
                if (MoveState == QLatin1String("First")) {
                    MoveFirstRow = row;
                    MoveFirstRec = v + row;
                    g->setCurrentCell(row, 0);
                    FormDate = g->cellText(row, 0);
                    datumset();
                    g->setBack(row, 0, kGreen);
                    budget ? PostMover_Budget() : PostMover_Enkel();
                } else if (MoveState == QLatin1String("Last")) {
                    MoveLastRow = row;
                    MoveLastRec = v + row;
                    g->setCurrentCell(row, 0);
                    if (MoveFirstRec > MoveLastRec) {
                        std::swap(MoveFirstRec, MoveLastRec);
                        std::swap(MoveFirstRow, MoveLastRow);
                    }
                    for (greenRow = MoveFirstRow; greenRow <= MoveLastRow; ++greenRow)
                        g->setBack(greenRow, 0, kGreen);
                    g->setEnabled(false);
                    const platform::Answer answer = platform::messages().show(
                        QStringLiteral("Vill du flytta markerad(e) rad(er)\ntill ett nytt datum ?"),
                        platform::Buttons::YesNo, platform::Icon::None,
                        QStringLiteral("Flytta rader"));
                    if (answer != platform::Answer::No) {
                        budget ? PostMover_Budget() : PostMover_Enkel();
                    } else {
                        Module1.CancelFlag = QStringLiteral("1");
                        Command3_Click();
                    }
                }
                return;
            }

            MarkRecord = v + row;
            if (MarkRecord > n) {
                // An empty row below the last posting.
                MarkRecord = 0;
                FormDate = Module1.DagensDatum;
                datumset();
                return;
            }

            if (col >= t.okCol) {
                kryss = budget ? data.budget(MarkRecord).Kryss : data.enkel(MarkRecord).Kryss;
                ledger::toggleTick(data, MarkRecord);
                loadGrid(budget);
                MarkRow = -1;
                MarkRecord = 0;
                writeGrid(budget);
                return;
            }

            Lock_Konto();
            Lock_menues();
            Picture1->setEnabled(false);
            t.combo->setEnabled(false);

            MarkRow = row;
            g->setUpdatesEnabled(false);
            for (int r = 0; r < 10; ++r)
                g->setRowBack(r, r == row ? kPaleRed : kPaleYellow);
            g->setCurrentCell(row, 0);
            g->setUpdatesEnabled(true);

            Command2->setEnabled(true);
            Command2->setText(QStringLiteral("Ta bort"));
            Module1.EditMode = QStringLiteral("rem");

            QString datum, transRef, subRef, bstatus;
            if (budget) {
                const BudgetKontoPost p = data.budget(MarkRecord);
                datum = p.Datum;
                transRef = p.TransRef;
                subRef = p.SubRef;
                bstatus = p.BStatus;
                kryss = p.Kryss;
                belopp = p.BudgBelopp;
                verklBelopp = p.VerklBelopp;
            } else {
                const EnkelKontoPost p = data.enkel(MarkRecord);
                datum = p.Datum;
                transRef = p.TransRef;
                subRef = p.SubRef;
                kryss = p.Kryss;
                verklBelopp = p.Belopp;
            }
            // The posting's numbers, read before anything shows them.
            const QString sub = trimBlanks(subRef);
            long transNr = 0;
            int subNr = 0;
            QString budgShown, verklShown;
            inRecord(data.path(), MarkRecord, [&] {
                transNr = std::abs(toInt(transRef));
                subNr = sub.isEmpty() ? 0 : toInt(sub);
                if (budget)
                    budgShown = amountText(belopp);
                verklShown = amountText(verklBelopp);
            });
            const TransPost trans = ledger::account().transakt.get<TransPost>(transNr);
            Module1.HuvudTrans = trimBlanks(trans.TransNamn);
            Module1.TransTecken = trans.Tecken;
            MarkTransNr = transNr;
            Module1.SubTrans.clear();

            if (budget) {
                if (bstatus == QLatin1String(" "))
                    Command1->setEnabled(true);
                else if (bstatus == QLatin1String("*"))
                    Command1->setEnabled(false);
            }

            if (!sub.isEmpty()) {
                Module1.SubTransNr = subNr;
                if (Module1.SubTransNr > 0) {
                    const RecordFile kategori = openRecordFile<KategoriPost>(
                        accountFile(Module1.KontoNamn, QStringLiteral("Kategori")));
                    Module1.SubTrans =
                        trimBlanks(kategori.get<KategoriPost>(Module1.SubTransNr).SubNamn);
                }
            }

            const QString& hOpt = budget ? Module1.HOptBudg : Module1.HOptEnk;
            const QString& sOpt = budget ? Module1.SOptBudg : Module1.SOptEnk;
            if (hOpt == QLatin1String("1"))
                t.transText->setText(Module1.HuvudTrans);
            else if (sOpt == QLatin1String("1"))
                t.transText->setText(Module1.SubTrans);

            if (budget) {
                BudgBel_Budget->setReadOnly(false);
                VerklBel_Budget->setReadOnly(false);
                BudgBel_Budget->setText(budgShown);
                VerklBel_Budget->setText(verklShown);
                BudgBelOld = trimBlanks(belopp);
                BudgBelText = BudgBelOld;
            } else {
                Bel_Enkel->setReadOnly(false);
                Bel_Enkel->setText(verklShown);
            }
            VerklBelOld = trimBlanks(verklBelopp);
            VerklBelText = VerklBelOld;
            MarkSign = Module1.TransTecken;
            FormDate = datum;
            datumset();

            Command3->setText(QStringLiteral("Avbryt markera"));
            Module1.Avb = t.avb;
            Module1.CancelFlag = QStringLiteral("1");
            markedList(budget);
        },
        [&] {
            QStringList dump{budget ? QStringLiteral("vid markering av kontopost Budget")
                                    : QStringLiteral("vid markering av kontopost Enkel"),
                             QStringLiteral("Felet uppstod vid flyttning, läge ") + MoveState,
                             QStringLiteral("Startrad ") + num(MoveFirstRow),
                             QStringLiteral("Scrollervärde ") + num(v),
                             QStringLiteral("Första flyttpost ") + num(MoveFirstRec),
                             QStringLiteral("Slutrad ") + num(MoveLastRow),
                             QStringLiteral("Skillnad 1:a - sista rad ") +
                                 num(MoveLastRow - MoveFirstRow),
                             QStringLiteral("Sista flyttpost ") + num(MoveLastRec),
                             QStringLiteral("Pågående rad att flytta ") + num(greenRow),
                             QStringLiteral("Markerat postnr i filen = ") + num(MarkRecord) +
                                 QStringLiteral(" av möjliga ") + num(n),
                             QStringLiteral("Klickning för OK (= %1) ").arg(t.okCol) + num(col) +
                                 QStringLiteral(" kryssat ? ") + kryss,
                             QStringLiteral("Hämtad transaktion från fil = ") + Module1.HuvudTrans +
                                 QStringLiteral(" tecken ") + Module1.TransTecken,
                             QStringLiteral("Hämtad subtr. från fil = ") + Module1.SubTrans +
                                 QStringLiteral(" Ref.nr ") + num(Module1.SubTransNr)};
            if (budget)
                dump << QStringLiteral("Budgetbelopp är = ") + belopp
                     << QStringLiteral("Verkl.belopp är = ") + verklBelopp;
            else
                dump << QStringLiteral("Belopp är = ") + verklBelopp;
            dump << t.kindLine << QStringLiteral("Felet uppstod i konto ") + Module1.KontoNamn;
            return ErrorContext(budget ? QStringLiteral("G2_Click") : QStringLiteral("G1_Click"),
                                {budget ? QStringLiteral("vid markering av kontopost Budgetbokf.")
                                        : QStringLiteral("vid markering av kontopost Enkel bokf.")},
                                dump);
        });
}

// ---- Hovering ----------------------------------------------------------------------

void HeadForm::G1_MouseMove() {
    if (HelpHold < 1)
        setHelp(QStringLiteral("Display"),
                QStringLiteral(" Markera rad för borttagn. eller ändring.\n"
                               " Flytta post ? Klicka först på [Flytta]."));
}

void HeadForm::G2_MouseMove() {
    if (HelpHold < 1)
        setHelp(QStringLiteral("Display"),
                QStringLiteral(" Markera rad innan klick på [Ta bort] eller [Bekräfta]. \n"
                               " För att flytta post, klicka först på [Flytta]."));
}

} // namespace fyn
