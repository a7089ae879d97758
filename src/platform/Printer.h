#pragma once
// The printer: a set-up box that chooses where a document goes (a printer or
// a PDF file), and the document drawn on a logical page of its own units.
// Tests record the calls (platform/testing/FakePrinter.h).
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>

class QPrinter;
class QWidget;

namespace platform {

enum class Orientation { Portrait = 1, Landscape = 2 };

// A document that could not be made or handed over; what() is the system's
// error text ("Permission denied", "Disk full", ...), or the print system's
// reason for refusing the job.
class PrintFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    explicit PrintFailure(const QString& text, QString refused = {})
        : std::runtime_error(text.toStdString()), path_(std::move(refused)) {}
    // The file or folder that was refused, when the failure is a refused access.
    const QString& path() const { return path_; }

private:
    QString path_;
};

// One printed document. Positions are in the units of the logical page, X
// from the left and Y from the top of the printable area; the page is mapped
// onto the paper with one scale for both directions.
class PrintJob {
public:
    virtual ~PrintJob() = default;
    // Both before the first text.
    virtual void setOrientation(Orientation o) = 0;
    virtual void setLogicalPage(int width, int height) = 0;
    // "Arial" or "Arial Narrow"; the point size is the font's own, not
    // scaled with the logical page.
    virtual void setFont(const QString& family, double points, bool bold) = 0;
    // The text on one line, the top of its character cell at (x, y): nothing
    // is wrapped, cut or clipped.
    virtual void text(double x, double y, const QString& s) = 0;
    // The width of s in the current font, in logical units.
    virtual double textWidth(const QString& s) = 0;
    virtual void newPage() = 0;
    // Hands the document over: to the printer, or to the file under its name.
    // A printer's document is handed to the print system, and endDoc returns
    // only once it has been queued there as a job. Throws PrintFailure.
    virtual void endDoc() = 0;
    // Drops the document: nothing is printed and no file is left.
    virtual void abortDoc() = 0;
    // The PDF file chosen in the set-up box, which nothing has been written to
    // yet; empty when the document goes to a printer.
    virtual QString fileName() const = 0;
};

class Printers {
public:
    virtual ~Printers() = default;
    // The print set-up box. The document goes where the user chose there;
    // null when the box was cancelled.
    virtual std::unique_ptr<PrintJob> setup(QWidget* parent) = 0;
};

Printers& printers();
void setPrinters(std::unique_ptr<Printers> s);

// Qt's print box over QPrinter: the machine's CUPS printers, and a PDF file.
// The document is drawn into a PDF either way; a printer's is handed to CUPS
// through its own library, so that its answer is known.
std::unique_ptr<Printers> makeQtPrinters();
// The same with the box replaced by choose, which sets the printer up (a PDF
// file, say) and returns false for a cancel.
std::unique_ptr<Printers> makeQtPrinters(std::function<bool(QPrinter&, QWidget*)> choose);

} // namespace platform
