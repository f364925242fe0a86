#pragma once

#include <QByteArray>
#include <QList>
#include <QPageSize>
#include <QPair>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>

// The IPP job and printer states CUPS reports (RFC 8011).
namespace IppJobState {
constexpr int Pending = 3;
constexpr int Held = 4;
constexpr int Processing = 5;
constexpr int Stopped = 6;
constexpr int Canceled = 7;
constexpr int Aborted = 8;
constexpr int Completed = 9;
} // namespace IppJobState
namespace IppPrinterState {
constexpr int Idle = 3;
constexpr int Processing = 4;
constexpr int Stopped = 5;
} // namespace IppPrinterState

// What CUPS says about a job and its queue at one moment.
struct CupsJobStatus {
    int jobState = IppJobState::Pending;
    QString jobMessage; // job-state-message, else job-state-reasons
    int printerState = IppPrinterState::Idle;
    bool printerAccepting = true;
    QString printerMessage; // printer-state-message, else printer-state-reasons
};

// How the program judges a job it sent.
enum class CupsVerdict {
    Waiting,  // not settled yet: keep following
    Accepted, // CUPS has it for printing (or printed it)
    Failed,   // it will not be printed
};

// A completed job is accepted; a job CUPS stopped, cancelled or aborted has
// failed, and so has any unfinished job on a queue that is stopped (disabled,
// or halted by a backend error) or no longer accepts jobs. Anything else is
// still on its way.
CupsVerdict JudgeCupsJob(const CupsJobStatus& status);
// The job's state in words, as the print dialog shows it.
QString CupsJobStateText(int jobState);
// A state reason CUPS gave: its keywords ("processing-to-stop-point") in
// the program's words; a message in words of its own as it stands.
QString CupsReasonText(const QString& reason);
// Why a failed job will not print, in the program's words with CUPS's own
// reason after them.
QString CupsFailureReason(const QString& queue, const CupsJobStatus& status);

// The print system's default destination ("name" or "name/instance"): the
// server's default, the user's lpoptions -d or the PRINTER variable, as lp
// finds it; empty when there is none or no print system answers.
QString CupsDefaultDestination();

// A paper the print systems know by name: the page size of the document and
// the IPP (PWG) media name that asks for it.
struct StandardPaper {
    QPageSize::PageSizeId id;
    const char* media;
};
// The standard paper of this size (width × height in mm, less than 2 mm
// off: the print style's postcard is 100 × 147), or none.
const StandardPaper* StandardPaperFor(const QSizeF& millimetres);

// How a queue is asked for a sheet and what the document's page then is. A
// sheet less than 2 mm off a standard paper is asked for by that paper's name,
// on the page the queue gives that paper (the driver's own size: an A4 of
// 595 × 842 points), with the cards placed from its top-left corner as on
// the sheet; any other sheet, where the queue takes custom sizes, as a
// custom size of exactly the sheet. A sheet the queue has neither for is
// not offered: the message names it and the papers the queue has.
struct QueuePaper {
    bool offered = true;
    QSizeF millimetres; // the document's page
    QByteArray option;  // "media" or "PageSize"
    QByteArray value;
    QString problem; // why not offered, in the program's words
};
QueuePaper CupsQueuePaper(const QString& queue, const QSizeF& sheetMillimetres);

// A job on a CUPS queue: submits a PDF document with its options, follows
// the job's state and cancels it. Failures of the print system are
// RuntimeError 57 (device I/O) with CUPS's reason as the detail.
class CupsJob {
public:
    using Options = QList<QPair<QByteArray, QByteArray>>;

    // Creates the job on the queue ("name" or "name/instance") and sends the
    // PDF file as its one document. Throws when CUPS refuses the job or the
    // document: a queue that rejects jobs, one that does not exist.
    CupsJob(const QString& queue, const QString& title, const QString& pdfPath,
            const Options& options);
    ~CupsJob();
    CupsJob(const CupsJob&) = delete;
    CupsJob& operator=(const CupsJob&) = delete;

    int id() const { return m_id; }
    const QString& queue() const { return m_queue; }
    // "queue-id", as lp names a request.
    QString requestId() const;

    // Asks CUPS for the job's and the queue's state; throws when it cannot.
    CupsJobStatus status() const;
    // Withdraws the job; false when CUPS would not (it has already finished).
    bool cancel();

    // Follows the job until it is judged: watch is called about every
    // tickMs with the last status (it may ask to stop by returning false, and
    // the job is then cancelled); after limitMs a job still on its way counts
    // as accepted, since CUPS holds it in its queue. Returns the verdict (a
    // cancel from the watch gives Failed) and the last status in *last.
    CupsVerdict follow(const std::function<bool(const CupsJobStatus&)>& watch, int limitMs,
                       CupsJobStatus* last = nullptr, int tickMs = 50);

private:
    // Fills in the queue's state.
    void askPrinter(CupsJobStatus& status) const;

    struct Connection;
    std::unique_ptr<Connection> m_c;
    QString m_queue;
    int m_id = 0;
};
