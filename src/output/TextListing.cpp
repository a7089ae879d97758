#include "output/TextListing.h"

#include "core/Codec1252.h"
#include "core/Errors.h"
#include "platform/SysError.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fyn::output {

namespace {

using C = Column;

constexpr TextColumn kPr1[] = {{C::Date, 1, "Datum"},
                               {C::Main, 12, "Huvudtransaktion"},
                               {C::Amount, 45, "Belopp"},
                               {C::Balance, 58, "Saldo"}};
constexpr TextColumn kPr2[] = {{C::Date, 1, "Datum"},
                               {C::Main, 12, "Huvudtransaktion"},
                               {C::Sub, 33, "Subtransaktion"},
                               {C::Amount, 66, "Belopp"},
                               {C::Balance, 79, "Saldo"}};
constexpr TextColumn kPr3[] = {{C::Date, 1, "Datum"},
                               {C::Main, 12, "Huvudtransaktion"},
                               {C::BudgAmount, 45, "Budg.belopp"},
                               {C::VerklAmount, 58, "Verkl.belopp"},
                               {C::BudgBalance, 71, "Budg.saldo"},
                               {C::VerklBalance, 84, "Verkl.saldo"}};
constexpr TextColumn kPr4[] = {{C::Date, 1, "Datum"},
                               {C::Main, 12, "Huvudtransaktion"},
                               {C::BudgAmount, 45, "Budg.belopp"},
                               {C::VerklAmount, 58, "Verkl.belopp"},
                               {C::BudgBalance, 71, "Budg.saldo"},
                               {C::VerklBalance, 84, "Verkl.saldo"},
                               {C::Diff, 97, "Saldodiff."}};
constexpr TextColumn kPr5[] = {{C::Date, 1, "Datum"},
                               {C::Main, 12, "Huvudtransaktion"},
                               {C::Sub, 33, "Subtransaktion"},
                               {C::BudgAmount, 66, "Budg.belopp"},
                               {C::VerklAmount, 79, "Verkl.belopp"},
                               {C::BudgBalance, 92, "Budg.saldo"},
                               {C::VerklBalance, 105, "Verkl.saldo"},
                               {C::Diff, 118, "Saldodiff."}};
constexpr TextColumn kPr6[] = {{C::Date, 1, "Datum"},
                               {C::Main, 12, "Huvudtransaktion"},
                               {C::Sub, 33, "Subtransaktion"},
                               {C::BudgAmount, 66, "Budg.belopp"},
                               {C::VerklAmount, 79, "Verkl.belopp"},
                               {C::BudgBalance, 92, "Budg.saldo"},
                               {C::VerklBalance, 105, "Verkl.saldo"}};

void put(ColumnWriter& w, const TextColumn& c, std::string_view text) {
    if (isAmountColumn(c.column))
        w.right(c.at, text);
    else
        w.place(c.at, text);
}

void headerBlock(ColumnWriter& w, const TextLayout& layout, const QByteArray& prefix, int page) {
    const QByteArray first = prefix + QByteArray::number(page);
    w.place(1, {first.constData(), size_t(first.size())});
    w.endLine();
    w.endLine();
    for (const TextColumn& c : layout.columns)
        put(w, c, c.heading);
    w.endLine();
}

// A new file's permissions, as the user's umask gives them.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Throws the system's text for the error, after the temporary file is gone.
// Drops the temporary file; a refused access names the folder it was refused
// in.
[[noreturn]] void failWith(int error, int fd, const QByteArray& temp, const QString& folder) {
    if (fd >= 0)
        ::close(fd);
    ::unlink(temp.constData());
    raiseErrno(error, folder);
}

} // namespace

void ColumnWriter::place(int column, std::string_view text) {
    const int n = column < 1 ? 1 : column;
    if (col_ > n)
        endLine();
    if (n > col_)
        out_.append(qsizetype(n - col_), ' ');
    out_.append(text.data(), qsizetype(text.size()));
    col_ = n + int(text.size());
}

void ColumnWriter::endLine() {
    out_.append("\r\n", 2);
    col_ = 1;
}

TextLayout textLayout(Variant v) {
    switch (v) {
    case Variant::Pr_1:
        return {70, kPr1};
    case Variant::Pr_2:
        return {70, kPr2};
    case Variant::Pr_3:
        return {70, kPr3};
    case Variant::Pr_4:
        return {70, kPr4};
    case Variant::Pr_5:
        return {47, kPr5};
    case Variant::Pr_6:
        return {47, kPr6};
    case Variant::None:
        break;
    }
    return {};
}

QByteArray pageHeaderPrefix(const QString& kontoNamn, const QString& dagensDatum) {
    return toCp1252(QStringLiteral("Utskrift av ") + kontoNamn + QLatin1Char(' ') + dagensDatum +
                    QString(14, QLatin1Char(' ')) + QStringLiteral("Sida "));
}

void writeTextListing(QByteArray& out, const AccountData& data, Variant v, int first, int last,
                      const QByteArray& headerPrefix, TextProgress& progress) {
    const TextLayout layout = textLayout(v);
    if (layout.columns.empty())
        return;
    if (last >= first) // about the size of a row, once
        out.reserve(out.size() + qsizetype(last - first + 1) * (layout.columns.back().at + 2));
    ColumnWriter w(out);
    progress.record = 0;
    progress.page = 1;
    headerBlock(w, layout, headerPrefix, progress.page);
    for (int top = first;; top += layout.rowsPerPage) {
        for (int r = top; r < top + layout.rowsPerPage; ++r) {
            if (r > last)
                return;
            progress.record = r;
            data.line(v, r, progress.line);
            for (size_t i = 0; i < layout.columns.size(); ++i)
                put(w, layout.columns[i], progress.line.cell(int(i)));
        }
        // A full last page is followed by nothing.
        if (top + layout.rowsPerPage > last)
            return;
        w.endLine();
        w.endLine();
        headerBlock(w, layout, headerPrefix, ++progress.page);
    }
}

void saveTextFile(const QString& path, const QByteArray& bytes) {
    const QFileInfo target(path);
    if (!QFileInfo(target.absolutePath()).isDir())
        raiseError(platform::kPathNotFound);
    if (target.isDir())
        raiseError(platform::kPathFileAccess);
    if (target.exists() && !target.isWritable())
        raiseErrno(EACCES, target.absoluteFilePath());
    mode_t mode = newFileMode();
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        mode = st.st_mode & 07777;

    QByteArray temp = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") +
                                        target.fileName() + QStringLiteral(".XXXXXX"));
    const QString folder = target.absolutePath();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        raiseErrno(errno, folder);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0)
            failWith(errno, fd, temp, folder);
        if (w == 0)
            failWith(ENOSPC, fd, temp, folder);
        done += w;
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
        failWith(errno, fd, temp, folder);
    if (::close(fd) != 0)
        failWith(errno, -1, temp, folder);
    if (::rename(temp.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        failWith(errno, -1, temp, folder);
    // The new name stays after a power cut too.
    const int dir = ::open(QFile::encodeName(target.absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace fyn::output
