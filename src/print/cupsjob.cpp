#include "cupsjob.h"

#include "base/runtimeerror.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>

#include <cups/cups.h>

#include <cmath>

namespace {

QString lastCupsError() {
    return QString::fromUtf8(cupsLastErrorString());
}

// A failure of the print system: the device I/O error with CUPS's reason.
RuntimeError cupsFailure(const QString& reason) {
    return RuntimeError(RuntimeError::DeviceIo, RuntimeError::describe(RuntimeError::DeviceIo),
                        reason);
}

// The value of a text attribute, or its keywords joined ("paused").
QString attributeText(ipp_t* response, const char* name) {
    ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_ZERO);
    if (!a)
        return {};
    QStringList values;
    for (int i = 0; i < ippGetCount(a); ++i) {
        const QString v = QString::fromUtf8(ippGetString(a, i, nullptr));
        if (!v.isEmpty() && v != u"none")
            values.append(v);
    }
    return values.join(QStringLiteral(", "));
}

int attributeInteger(ipp_t* response, const char* name, int fallback) {
    ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_ZERO);
    return a ? ippGetInteger(a, 0) : fallback;
}

// message if there is one, else the reasons.
QString stateMessage(ipp_t* response, const char* message, const char* reasons) {
    const QString text = attributeText(response, message);
    return text.isEmpty() ? attributeText(response, reasons) : text;
}

constexpr StandardPaper StandardPapers[] = {
    {QPageSize::A4, "iso_a4_210x297mm"},       {QPageSize::JisB5, "jis_b5_182x257mm"},
    {QPageSize::A5, "iso_a5_148x210mm"},       {QPageSize::Postcard, "jpn_hagaki_100x148mm"},
    {QPageSize::Letter, "na_letter_8.5x11in"},
};

} // namespace

CupsVerdict JudgeCupsJob(const CupsJobStatus& s) {
    switch (s.jobState) {
    case IppJobState::Completed:
        return CupsVerdict::Accepted;
    case IppJobState::Stopped:
    case IppJobState::Canceled:
    case IppJobState::Aborted:
        return CupsVerdict::Failed;
    default:
        break;
    }
    if (s.printerState == IppPrinterState::Stopped || !s.printerAccepting)
        return CupsVerdict::Failed;
    return CupsVerdict::Waiting;
}

QString CupsJobStateText(int jobState) {
    switch (jobState) {
    case IppJobState::Pending:
        return QStringLiteral("待機中");
    case IppJobState::Held:
        return QStringLiteral("保留中");
    case IppJobState::Processing:
        return QStringLiteral("処理中");
    case IppJobState::Stopped:
        return QStringLiteral("停止");
    case IppJobState::Canceled:
        return QStringLiteral("取消し");
    case IppJobState::Aborted:
        return QStringLiteral("中止");
    case IppJobState::Completed:
        return QStringLiteral("完了");
    default:
        return QStringLiteral("不明");
    }
}

QString CupsReasonText(const QString& reason) {
    // The IPP keywords CUPS gives as a job's or a queue's state reasons
    // (RFC 8011, PWG 5100.7), in the program's words.
    static const QHash<QString, QString> words{
        {QStringLiteral("job-canceled-by-user"), QStringLiteral("ユーザーが取り消しました")},
        {QStringLiteral("job-canceled-by-operator"), QStringLiteral("管理者が取り消しました")},
        {QStringLiteral("job-canceled-at-device"), QStringLiteral("プリンタで取り消されました")},
        {QStringLiteral("processing-to-stop-point"), QStringLiteral("取り消しの処理中です")},
        {QStringLiteral("aborted-by-system"), QStringLiteral("印刷システムが中止しました")},
        {QStringLiteral("job-aborted-by-system"), QStringLiteral("印刷システムが中止しました")},
        {QStringLiteral("job-completed-with-errors"), QStringLiteral("エラーがありました")},
        {QStringLiteral("document-format-error"), QStringLiteral("文書の形式に誤りがあります")},
        {QStringLiteral("document-unprintable-error"), QStringLiteral("印刷できない文書です")},
        {QStringLiteral("document-access-error"), QStringLiteral("文書を読めません")},
        {QStringLiteral("unsupported-document-format"),
         QStringLiteral("このプリンタでは印刷できない形式です")},
        {QStringLiteral("submission-interrupted"), QStringLiteral("送信が中断されました")},
        {QStringLiteral("job-hold-until-specified"), QStringLiteral("保留中です")},
        {QStringLiteral("job-incoming"), QStringLiteral("受け付け中です")},
        {QStringLiteral("job-queued"), QStringLiteral("待機中です")},
        {QStringLiteral("job-printing"), QStringLiteral("印刷中です")},
        {QStringLiteral("cups-held-for-authentication"), QStringLiteral("認証を待っています")},
        {QStringLiteral("printer-stopped"), QStringLiteral("プリンタが停止しています")},
        {QStringLiteral("printer-stopped-partly"),
         QStringLiteral("プリンタの一部が停止しています")},
        {QStringLiteral("paused"), QStringLiteral("一時停止しています")},
        {QStringLiteral("media-empty"), QStringLiteral("用紙がありません")},
        {QStringLiteral("media-empty-error"), QStringLiteral("用紙がありません")},
        {QStringLiteral("media-needed"), QStringLiteral("用紙を入れてください")},
        {QStringLiteral("media-jam"), QStringLiteral("紙詰まりです")},
        {QStringLiteral("toner-empty"), QStringLiteral("トナーがありません")},
        {QStringLiteral("marker-supply-empty"), QStringLiteral("インクがありません")},
        {QStringLiteral("door-open"), QStringLiteral("カバーが開いています")},
        {QStringLiteral("offline-report"), QStringLiteral("プリンタがオフラインです")},
        {QStringLiteral("connecting-to-device"), QStringLiteral("プリンタに接続しています")},
        {QStringLiteral("cups-missing-filter"), QStringLiteral("印刷に要るフィルタがありません")},
    };
    static const QRegularExpression keyword(QStringLiteral("^[a-z0-9-]+$"));
    QStringList parts = reason.split(QStringLiteral(", "));
    for (QString& part : parts) {
        if (!keyword.match(part).hasMatch())
            return reason; // a message in words of its own
        // A level suffix (-report, -warning, -error) on a known keyword.
        QString key = part;
        for (const char* suffix : {"-report", "-warning", "-error"}) {
            const QString end = QString::fromLatin1(suffix);
            if (!words.contains(key) && key.endsWith(end) &&
                words.contains(key.chopped(end.size())))
                key.chop(end.size());
        }
        part = words.value(key, part);
    }
    parts.removeDuplicates();
    return parts.join(QStringLiteral("、"));
}

QString CupsFailureReason(const QString& queue, const CupsJobStatus& s) {
    QString text;
    QString reason;
    switch (s.jobState) {
    case IppJobState::Canceled:
        text = QStringLiteral("印刷ジョブが取り消されました。");
        reason = s.jobMessage;
        break;
    case IppJobState::Aborted:
    case IppJobState::Stopped:
        text = QStringLiteral("印刷ジョブが中止されました。");
        reason = s.jobMessage;
        break;
    default:
        text = s.printerState == IppPrinterState::Stopped
                   ? QStringLiteral("プリンタ「%1」は停止しています。").arg(queue)
                   : QStringLiteral("プリンタ「%1」は印刷ジョブを受け付けていません。").arg(queue);
        reason = s.printerMessage.isEmpty() ? s.jobMessage : s.printerMessage;
        break;
    }
    reason = CupsReasonText(reason);
    return reason.isEmpty() ? text : text + QLatin1Char('\n') + reason;
}

QString CupsDefaultDestination() {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest)
        return {};
    QString name = QString::fromUtf8(dest->name);
    if (dest->instance)
        name += QLatin1Char('/') + QString::fromUtf8(dest->instance);
    cupsFreeDests(1, dest);
    return name;
}

const StandardPaper* StandardPaperFor(const QSizeF& mm) {
    for (const StandardPaper& paper : StandardPapers) {
        const QSizeF size = QPageSize(paper.id).size(QPageSize::Millimeter);
        if (std::abs(size.width() - mm.width()) < 2 && std::abs(size.height() - mm.height()) < 2)
            return &paper;
    }
    return nullptr;
}

namespace {

// Millimetres to the hundredth, without the zeros after the point.
QString millimetresText(double mm) {
    QString text = QString::number(mm, 'f', 2);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

QString sizeText(const QSizeF& mm) {
    return QStringLiteral("%1 × %2 mm")
        .arg(millimetresText(mm.width()), millimetresText(mm.height()));
}

QByteArray customSize(const QSizeF& mm) {
    return QStringLiteral("Custom.%1x%2mm")
        .arg(millimetresText(mm.width()), millimetresText(mm.height()))
        .toUtf8();
}

} // namespace

QueuePaper CupsQueuePaper(const QString& queue, const QSizeF& sheet) {
    QueuePaper paper;
    const StandardPaper* standard = StandardPaperFor(sheet);
    const qsizetype slash = queue.indexOf(u'/');
    const QByteArray name = queue.left(slash).toUtf8();
    const QByteArray instance = slash < 0 ? QByteArray() : queue.mid(slash + 1).toUtf8();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    cups_dinfo_t* info = dest ? cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest) : nullptr;
    const auto release = qScopeGuard([&] {
        if (info)
            cupsFreeDestInfo(info);
        if (dest)
            cupsFreeDests(1, dest);
    });
    if (!info) {
        // The queue cannot be asked: its job will say what is wrong.
        paper.millimetres = standard ? QPageSize(standard->id).size(QPageSize::Millimeter) : sheet;
        paper.option = standard ? "media" : "PageSize";
        paper.value = standard ? QByteArray(standard->media) : customSize(sheet);
        return paper;
    }
    cups_size_t size = {};
    if (standard && cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest, info, standard->media,
                                           CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
        paper.millimetres = QSizeF(size.width / 100.0, size.length / 100.0);
        paper.option = "media";
        paper.value = standard->media;
        return paper;
    }
    const QByteArray custom =
        QStringLiteral("custom_%1x%2mm_%1x%2mm")
            .arg(millimetresText(sheet.width()), millimetresText(sheet.height()))
            .toUtf8();
    if (cupsCheckDestSupported(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA, custom.constData())) {
        paper.millimetres = sheet;
        paper.option = "PageSize";
        paper.value = customSize(sheet);
        return paper;
    }
    paper.offered = false;
    QStringList offered;
    const int count = cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, dest, info, 0);
    for (int i = 0; i < count; ++i) {
        if (cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, dest, info, i, 0, &size)) {
            const QString text = sizeText(QSizeF(size.width / 100.0, size.length / 100.0));
            if (!offered.contains(text))
                offered.append(text);
        }
    }
    paper.problem = QStringLiteral("プリンタ「%1」には、印刷スタイルの用紙 (%2) がありません。\n"
                                   "このプリンタの用紙: %3")
                        .arg(queue, sizeText(sheet), offered.join(QStringLiteral("、")));
    return paper;
}

struct CupsJob::Connection {
    cups_dest_t* dest = nullptr;
    cups_dinfo_t* info = nullptr;
    QByteArray printerUri;

    ~Connection() {
        if (info)
            cupsFreeDestInfo(info);
        if (dest)
            cupsFreeDests(1, dest);
    }
};

CupsJob::CupsJob(const QString& queue, const QString& title, const QString& pdfPath,
                 const Options& options)
    : m_c(std::make_unique<Connection>()), m_queue(queue) {
    const qsizetype slash = queue.indexOf(u'/');
    const QByteArray name = queue.left(slash).toUtf8();
    const QByteArray instance = slash < 0 ? QByteArray() : queue.mid(slash + 1).toUtf8();
    m_c->dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(),
                                 instance.isEmpty() ? nullptr : instance.constData());
    if (!m_c->dest)
        throw cupsFailure(lastCupsError());
    m_c->info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, m_c->dest);
    if (!m_c->info)
        throw cupsFailure(lastCupsError());
    if (const char* uri =
            cupsGetOption("printer-uri-supported", m_c->dest->num_options, m_c->dest->options))
        m_c->printerUri = uri;

    // The queue's own options (an instance's) first, then the job's.
    cups_option_t* jobOptions = nullptr;
    int count = 0;
    for (int i = 0; i < m_c->dest->num_options; ++i)
        count = cupsAddOption(m_c->dest->options[i].name, m_c->dest->options[i].value, count,
                              &jobOptions);
    for (const auto& [option, value] : options)
        count = cupsAddOption(option.constData(), value.constData(), count, &jobOptions);

    QFile pdf(pdfPath);
    const QByteArray titleBytes = title.toUtf8();
    ipp_status_t created = IPP_STATUS_ERROR_INTERNAL;
    if (pdf.open(QIODevice::ReadOnly))
        created = cupsCreateDestJob(CUPS_HTTP_DEFAULT, m_c->dest, m_c->info, &m_id,
                                    titleBytes.constData(), count, jobOptions);
    else
        m_id = 0;
    if (!pdf.isOpen() || created > IPP_STATUS_OK_CONFLICTING || m_id <= 0) {
        cupsFreeOptions(count, jobOptions);
        m_id = 0;
        if (!pdf.isOpen())
            throw cupsFailure(pdf.errorString());
        QString reason = lastCupsError();
        // A queue that rejects jobs is named in the program's words, then
        // CUPS's own reason and the queue's, if it gave one ("cupsreject -r").
        if (created == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS) {
            CupsJobStatus queueState;
            askPrinter(queueState);
            reason = QStringLiteral("プリンタ「%1」は印刷ジョブを受け付けていません。").arg(queue) +
                     QLatin1Char('\n') + reason;
            if (!queueState.printerMessage.isEmpty())
                reason += QLatin1Char('\n') + CupsReasonText(queueState.printerMessage);
        }
        throw cupsFailure(reason);
    }

    bool sent =
        cupsStartDestDocument(CUPS_HTTP_DEFAULT, m_c->dest, m_c->info, m_id, titleBytes.constData(),
                              CUPS_FORMAT_PDF, count, jobOptions, 1) == HTTP_STATUS_CONTINUE;
    cupsFreeOptions(count, jobOptions);
    QByteArray chunk;
    while (sent && !pdf.atEnd()) {
        chunk = pdf.read(64 * 1024);
        sent = !chunk.isEmpty() &&
               cupsWriteRequestData(CUPS_HTTP_DEFAULT, chunk.constData(), size_t(chunk.size())) ==
                   HTTP_STATUS_CONTINUE;
    }
    // Finishing is asked for even after a failed write: it ends the request.
    const ipp_status_t finished = cupsFinishDestDocument(CUPS_HTTP_DEFAULT, m_c->dest, m_c->info);
    if (!sent || finished > IPP_STATUS_OK_CONFLICTING) {
        const QString reason = lastCupsError();
        cancel(); // no half-sent job stays queued
        throw cupsFailure(reason);
    }
}

CupsJob::~CupsJob() = default;

QString CupsJob::requestId() const {
    return m_queue + QLatin1Char('-') + QString::number(m_id);
}

CupsJobStatus CupsJob::status() const {
    CupsJobStatus s;
    char jobUri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, jobUri, sizeof jobUri, "ipp", nullptr, "localhost",
                     ippPort(), "/jobs/%d", m_id);
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, jobUri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        ippDelete(response);
        throw cupsFailure(lastCupsError());
    }
    s.jobState = attributeInteger(response, "job-state", IppJobState::Pending);
    s.jobMessage = stateMessage(response, "job-state-message", "job-state-reasons");
    ippDelete(response);

    askPrinter(s);
    return s;
}

void CupsJob::askPrinter(CupsJobStatus& s) const {
    QByteArray printerUri = m_c->printerUri;
    if (printerUri.isEmpty()) {
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                         ippPort(), "/printers/%s", m_c->dest->name);
        printerUri = uri;
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 printerUri.constData());
    static const char* const wanted[] = {"printer-state", "printer-state-message",
                                         "printer-state-reasons", "printer-is-accepting-jobs"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  int(std::size(wanted)), nullptr, wanted);
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (response && cupsLastError() <= IPP_STATUS_OK_CONFLICTING) {
        s.printerState = attributeInteger(response, "printer-state", IppPrinterState::Idle);
        if (ipp_attribute_t* a =
                ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN))
            s.printerAccepting = ippGetBoolean(a, 0);
        s.printerMessage = stateMessage(response, "printer-state-message", "printer-state-reasons");
    }
    // A queue that cannot be asked about still has the job: judged by it.
    ippDelete(response);
}

bool CupsJob::cancel() {
    if (m_id <= 0)
        return false;
    return cupsCancelDestJob(CUPS_HTTP_DEFAULT, m_c->dest, m_id) <= IPP_STATUS_OK_CONFLICTING;
}

CupsVerdict CupsJob::follow(const std::function<bool(const CupsJobStatus&)>& watch, int limitMs,
                            CupsJobStatus* last, int tickMs) {
    // CUPS is asked a few times a second; the watch runs more often, so that
    // a window stays responsive.
    constexpr int PollMs = 250;
    const QDeadlineTimer limit(limitMs);
    CupsJobStatus s = status();
    QDeadlineTimer nextPoll(PollMs);
    CupsVerdict verdict = JudgeCupsJob(s);
    while (verdict == CupsVerdict::Waiting) {
        if (watch && !watch(s)) {
            cancel();
            s = status();
            // Printed before the cancel reached CUPS: it stays printed.
            verdict =
                s.jobState == IppJobState::Completed ? CupsVerdict::Accepted : CupsVerdict::Failed;
            if (verdict == CupsVerdict::Failed)
                s.jobState = IppJobState::Canceled;
            break;
        }
        if (limit.hasExpired()) {
            verdict = CupsVerdict::Accepted;
            break;
        }
        QThread::msleep(std::max(1, tickMs));
        if (nextPoll.hasExpired()) {
            s = status();
            verdict = JudgeCupsJob(s);
            nextPoll.setRemainingTime(PollMs);
        }
    }
    // A job on a stopped queue would print once the queue is started again,
    // long after the user was told it failed: it is withdrawn.
    if (verdict == CupsVerdict::Failed && s.jobState < IppJobState::Stopped)
        cancel();
    if (watch)
        watch(s);
    if (last)
        *last = s;
    return verdict;
}
