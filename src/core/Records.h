#pragma once
// The fixed-width records of the data files. Each field is text, one byte a
// character, left-aligned, padded with blanks and cut at its width.
#include "core/Codec1252.h"

#include <QByteArray>
#include <QString>
#include <array>

namespace fyn {

// Marks a KontoNamn whose fund-account information is not to be shown again.
inline const QChar kFondInfoMark = QChar(6);

// The account register, KontoFil; the record number is the account's number.
struct KontoFilPost {
    static constexpr int Length = 82;
    QString KontoNamn;   // 35; blank = deleted slot
    QString KontoNummer; // 30
    QString KontoSlag;   // 2: "Bg" or "Ek"
    QString Sokvag;      // 15: the folder that holds the account folder
    template <class S, class V> static void fields(S& r, V&& v) {
        v(r.KontoNamn, 35);
        v(r.KontoNummer, 30);
        v(r.KontoSlag, 2);
        v(r.Sokvag, 15);
    }
};

// A posting of a simple account (KontoData, kind "Ek").
struct EnkelKontoPost {
    static constexpr int Length = 43;
    QString Datum;    // 10: "yyyy-mm-dd"; blank = free record
    QString TransRef; // 4
    QString Belopp;   // 11
    QString Saldo;    // 11
    QString Kryss;    // 1: "x" ticked
    QString SubRef;   // 4: blank = none
    QString Reserv;   // 2
    template <class S, class V> static void fields(S& r, V&& v) {
        v(r.Datum, 10);
        v(r.TransRef, 4);
        v(r.Belopp, 11);
        v(r.Saldo, 11);
        v(r.Kryss, 1);
        v(r.SubRef, 4);
        v(r.Reserv, 2);
    }
};

// A posting of a budget account (KontoData, kind "Bg").
struct BudgetKontoPost {
    static constexpr int Length = 77;
    QString Datum;       // 10
    QString TransRef;    // 4
    QString BudgBelopp;  // 11
    QString VerklBelopp; // 11
    QString BudgSaldo;   // 11
    QString VerklSaldo;  // 11
    QString SaldoDiff;   // 11: VerklSaldo - BudgSaldo
    QString Kryss;       // 1
    QString BStatus;     // 1: "*" confirmed as actual
    QString SubRef;      // 4
    QString Reserv;      // 2
    template <class S, class V> static void fields(S& r, V&& v) {
        v(r.Datum, 10);
        v(r.TransRef, 4);
        v(r.BudgBelopp, 11);
        v(r.VerklBelopp, 11);
        v(r.BudgSaldo, 11);
        v(r.VerklSaldo, 11);
        v(r.SaldoDiff, 11);
        v(r.Kryss, 1);
        v(r.BStatus, 1);
        v(r.SubRef, 4);
        v(r.Reserv, 2);
    }
};

// A main transaction name (Transakt).
struct TransPost {
    static constexpr int Length = 36;
    QString TransNamn; // 35; blank = deleted slot
    QString Tecken;    // 1: "+", "-" or " "
    template <class S, class V> static void fields(S& r, V&& v) {
        v(r.TransNamn, 35);
        v(r.Tecken, 1);
    }
};

// A subtransaction name (Kategori).
struct KategoriPost {
    static constexpr int Length = 35;
    QString SubNamn; // 35; blank = deleted slot
    template <class S, class V> static void fields(S& r, V&& v) { v(r.SubNamn, 35); }
};

// A line of the budget template (B-mall).
struct BudgMallPost {
    static constexpr int Length = 18;
    QString TransRef; // 4
    QString Belopp;   // 8: whole kronor
    QString Manad;    // 2: "01".."12"
    QString Dag;      // 2: "01".."31"
    QString Uteslut;  // 2: "*" = excluded from budgeting
    template <class S, class V> static void fields(S& r, V&& v) {
        v(r.TransRef, 4);
        v(r.Belopp, 8);
        v(r.Manad, 2);
        v(r.Dag, 2);
        v(r.Uteslut, 2);
    }
};

// A public holiday (RedDayFil).
struct RedDayPost {
    static constexpr int Length = 35;
    QString Namn;  // 25: "*" = free slot
    QString Datum; // 10
    template <class S, class V> static void fields(S& r, V&& v) {
        v(r.Namn, 25);
        v(r.Datum, 10);
    }
};

// Record 1 of PosFil: Left and Top in twips of each window, 7 characters each.
struct PosFilPost {
    static constexpr int Length = 140;
    std::array<QString, 20> Pos; // PosLeft, PosTop of window 0, then window 1, ...
    template <class S, class V> static void fields(S& r, V&& v) {
        for (auto& f : r.Pos)
            v(f, 7);
    }
};

// Text cut or padded with blanks to exactly width bytes.
QByteArray fieldBytes(const QString& value, int width);
// The same written at field (width bytes).
void putField(char* field, const QString& value, int width);

// The record's bytes at out, as many as its fields are wide (R::Length).
template <class R> void encodeRecordInto(const R& r, char* out) {
    int at = 0;
    R::fields(r, [&](const QString& f, int w) {
        putField(out + at, f, w);
        at += w;
    });
}

template <class R> QByteArray encodeRecord(const R& r) {
    int size = 0;
    R::fields(r, [&](const QString&, int w) { size += w; });
    QByteArray out(size, Qt::Uninitialized);
    encodeRecordInto(r, out.data());
    return out;
}

// A record shorter than the type is read as if padded with blanks.
template <class R> R decodeRecord(const QByteArray& bytes) {
    R r;
    int at = 0;
    R::fields(r, [&](QString& f, int w) {
        QByteArray part = bytes.mid(at, w);
        if (part.size() < w)
            part.append(QByteArray(w - part.size(), ' '));
        f = fromCp1252(part);
        at += w;
    });
    return r;
}

// A name field as it is shown: trailing blanks and the fund-account mark removed.
QString accountNameOf(const QString& kontoNamnField);

} // namespace fyn
