#pragma once
// The posting engine: insert, remove, change and move postings of the open
// posting file, the balance check and recount, and the budget template rules.
// No widgets: the windows ask the user and then call these.
//
// Every edit is checked in full before anything is written (amount limit, field
// widths); a refused edit writes nothing. An edit's writes, the budget
// template's included, are one commit: a crash leaves the files as before or
// as after. A posting whose numbers cannot be read stops an edit with a
// RuntimeError ("Type mismatch") whose where() names its record. Records are
// counted 1..n, n being the number of postings (Module1.AntalPoster); records
// after n are free.
#include "core/Amount.h"
#include "core/RecordFile.h"
#include "ledger/PostingFile.h"

#include <QHash>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace fyn::ledger {

// Why an edit was refused. Nothing was written then.
enum class Refusal {
    None,
    OverLimit,    // an amount or a balance would reach 100 000 000
    FieldTooLong, // an amount or balance text would not fit its 11 characters
};

struct EditResult {
    Refusal refusal = Refusal::None;
    long postNr = 0;      // where the refresh starts (the new or changed posting)
    long antalPoster = 0; // the number of postings afterwards
    bool ok() const { return refusal == Refusal::None; }
};

// ---- The budget template (B-mall) ------------------------------------------

// The open account's template, held in memory; its writes join an edit's commit
// and memory follows only when the commit succeeded.
class BudgetTemplate {
public:
    void open(const QString& path);
    void close();
    bool isOpen() const { return file_.isOpen(); }
    long count() const { return long(records_.size()); } // MallAntal
    const BudgMallPost& record(long n) const { return records_.at(size_t(n - 1)); }

    // Learns from confirmed budget postings (their records as stored), one
    // by one: the record of a posting's transaction and month takes its day
    // and template amount, or a new record is added. The writes go into
    // batch; call applied() after the batch committed, or discard() when it
    // did not.
    void learn(WriteBatch& batch, const std::vector<const char*>& postings);
    void applied();
    void discard();

private:
    // The first record of each transaction and month in pending_, by month
    // and trimmed TransRef: a year's learning finds its rows without a search.
    void indexRows();
    RecordFile file_;
    std::vector<BudgMallPost> records_; // committed
    std::vector<BudgMallPost> pending_; // with this edit's changes
    QHash<QString, size_t> rows_;
    bool dirty_ = false;
};

// The template amount of an actual amount text: an expense rounded up to the
// next ten strictly above it, an income rounded down to the ten at or below it
// less ten; below one krona 0.
long templateAmount(const QString& verklBelopp);

// Builds an empty template from last year's confirmed postings (and those after
// it), in file order; one commit. today is "yyyy-mm-dd".
void buildTemplate(const PostingFile& f, long n, const QString& today, BudgetTemplate& t);

// ---- Inserting ----------------------------------------------------------------

// After the last posting dated on or before date (scanning from n down); 1 when
// none is.
long insertPoint(const PostingFile& f, long n, const QString& date);

struct NewPosting {
    QString datum;     // the working date
    long transRef = 0; // record number in Transakt (the absolute value is stored)
    long subRef = 0;   // record number in Kategori, 0 = none
    // The amounts as the entry holds them (cleaned, signed, decimal comma). A
    // simple account's amount is verklText and is stored in the shortest form; a
    // budget account stores both texts as they stand.
    QString budgText;
    QString verklText;
    QString today; // "yyyy-mm-dd": a budget posting dated on or before it is confirmed
};

// Inserts p at its date with every later balance raised. A confirmed budget
// posting teaches the template (when one is given) in the same commit.
EditResult insertPosting(PostingFile& f, long n, const NewPosting& p, BudgetTemplate* t);

// Inserts several postings, in date order, as one commit: what inserting them
// one after the other gives (each after the postings of its day and the new
// ones before it, every later balance raised), checked in full first. postNr
// is where the first one went.
EditResult insertPostings(PostingFile& f, long n, const std::vector<NewPosting>& ps,
                          BudgetTemplate* t);

// Balance entry of a simple account: the amount that brings the balance at the
// insert point of date to newBalance. insertAt receives that insert point.
Amount balanceEntryAmount(const PostingFile& f, long n, const QString& date, Amount newBalance,
                          long& insertAt);

// ---- Removing, changing, moving ---------------------------------------------

// Removes posting r (1 <= r <= n, n >= 2): later postings move down one with
// their balances lowered, record n is freed (blank date). postNr is r, or n - 1
// when r was the last.
EditResult removePosting(PostingFile& f, long n, long r);

// Gives posting r new amount texts (as the entry holds them) and moves every
// balance from r to n by the difference. A budget posting is confirmed when
// workDate is on or before today, and then teaches the template.
EditResult changePosting(PostingFile& f, long n, long r, const QString& budgText,
                         const QString& verklText, const QString& workDate, const QString& today,
                         BudgetTemplate* t);

// Moves postings first..last (first <= last) to date, after the postings
// already dated so, keeping their order; amounts are stored in the shortest
// form, balances recomputed; budget postings dated on or before today are
// confirmed and teach the template. All or nothing. With n < 2 only the date
// of posting 1 changes.
EditResult movePostings(PostingFile& f, long n, long first, long last, const QString& date,
                        const QString& today, BudgetTemplate* t);

// Sets the tick of posting r: "x" and " " swap, anything else stays.
void toggleTick(PostingFile& f, long r);

// Confirms budget posting r (BStatus "*") and teaches the template; one commit.
void confirmPosting(PostingFile& f, long r, BudgetTemplate* t);

// Sets the subtransaction of posting r; one commit.
void setSubRef(PostingFile& f, long r, long subRef);

// ---- Changes of a transaction's postings ------------------------------------

struct TransactionEdit {
    long oldRef = 0;            // the postings whose |TransRef| is this
    long onlyRecord = 0;        // > 0: that posting alone
    long newRef = 0;            // their new TransRef
    bool resign = false;        // the sign changes: amounts take newSign
    QString newSign;            // "+", "-" or " "
    bool confirmByDate = false; // budget: a re-signed posting dated on or
                                // before today is confirmed and teaches the
                                // template, a later one becomes planned
    QString today;
};

struct TransactionEditResult : EditResult {
    long changed = 0; // postings changed
};

// Gives the postings of a transaction a new reference and, when the sign
// changes, amounts of the new sign (the same magnitude); every balance moves by
// the new amount less the stored one, summed over the changed postings before
// it. All or nothing. postNr is the first changed posting (0 when none).
// alsoWrite adds other writes (the name's record) to the same commit; they are
// committed even when no posting changes.
using AlsoWrite = std::function<void(WriteBatch&)>;
TransactionEditResult changeTransaction(PostingFile& f, long n, const TransactionEdit& e,
                                        BudgetTemplate* t, const AlsoWrite& alsoWrite = {});

struct RemovalResult : EditResult {
    long removed = 0;
    Amount budgSum;  // budget account: the removed budget amounts
    Amount verklSum; // the removed actual amounts (simple: the amounts)
};

// Removes every posting of a transaction; the later ones close up with their
// balances lowered and the freed records at the end get a blank date. All or
// nothing. postNr is the first removed posting's record (0 when none).
RemovalResult removeTransactionPostings(PostingFile& f, long n, long ref,
                                        const AlsoWrite& alsoWrite = {});

// Clears a subtransaction from every posting that carries it; one commit.
// Returns how many postings changed.
long clearSubtransaction(PostingFile& f, long n, long subRef, const AlsoWrite& alsoWrite = {});

// ---- Balance check and recount ----------------------------------------------

struct Mismatch {
    enum class Which { Saldo, BudgSaldo, VerklSaldo, SaldoDiff };
    long record = 0;
    Which which = Which::Saldo;
    Amount stored;   // the balance as stored
    Amount expected; // what it should be
};

// Checks the balances of records from..n against the one before from (0 before
// record 1), as the display shows them (two decimals). The first mismatch, or
// nothing. A field that is no number throws as in the edits.
std::optional<Mismatch> checkBalances(const PostingFile& f, long from, long n);

// Recomputes the balances of records from..n from the one before from; one
// commit. Refused (nothing written) when a balance would break the limit or not
// fit its field.
EditResult recount(PostingFile& f, long from, long n);

} // namespace fyn::ledger
