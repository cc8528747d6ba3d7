#include "PimChecks.h"

#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>

namespace {
const char* const MailReader = R"PY(
import sys, json, base64, email
from email import policy
try:
    with open(sys.argv[1], 'rb') as f:
        msg = email.message_from_binary_file(f, policy=policy.default)
    def addresses(name):
        h = msg[name]
        return [[a.display_name, a.addr_spec] for a in h.addresses] if h is not None else None
    defects = [type(d).__name__ for part in msg.walk() for d in part.defects]
    body = msg.get_body(preferencelist=('plain',))
    attachments = list(msg.iter_attachments())
    print(json.dumps({
        'to': addresses('To'), 'cc': addresses('Cc'), 'bcc': addresses('Bcc'),
        'bccHeaders': sum(1 for k in msg.keys() if k.lower() == 'bcc'),
        'subject': str(msg['Subject']) if msg['Subject'] is not None else None,
        'unsent': msg['X-Unsent'], 'multipart': msg.is_multipart(), 'defects': defects,
        'body': body.get_content() if body is not None else None,
        'charset': body.get_content_charset() if body is not None else None,
        'attachments': [{'filename': p.get_filename(), 'encoding': p['Content-Transfer-Encoding']}
                        for p in attachments],
        'data': [base64.b64encode(p.get_payload(decode=True)).decode() for p in attachments],
    }))
except Exception as e:
    print(json.dumps({'error': repr(e)}))
)PY";
} // namespace

namespace PimChecks {

QString python() {
    // The system's own first: a per-user Python shim may need the real home directory.
    const QString system =
        QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
    return system.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("python3")) : system;
}

QJsonObject readMail(const QString& path) {
    QProcess process;
    process.start(python(), {QStringLiteral("-c"), QString::fromUtf8(MailReader), path});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {{"error", QString::fromUtf8(process.readAllStandardError())}};
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

QString mailFaults(const QByteArray& raw, int headerLimit) {
    if (!raw.endsWith("\r\n"))
        return QStringLiteral("the last line has no CR LF");
    const QList<QByteArray> lines = raw.chopped(2).split('\n');
    bool header = true;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QByteArray line = lines[n];
        const QString where =
            QStringLiteral("line %1 (%2): ").arg(n + 1).arg(QString::fromLatin1(line.left(40)));
        if (n + 1 < lines.size() && !line.endsWith('\r'))
            return where + QStringLiteral("bare LF");
        if (n + 1 < lines.size())
            line.chop(1);
        if (line.contains('\r'))
            return where + QStringLiteral("bare CR");
        if (line.isEmpty())
            header = false;
        else if (line.startsWith("--"))
            header = true; // a part boundary: the part's header follows
        if (line.size() > (header ? headerLimit : 76))
            return where + QStringLiteral("%1 octets").arg(line.size());
        if (line.endsWith(' ') || line.endsWith('\t'))
            return where + QStringLiteral("blank at the end");
    }
    return {};
}

QString calendarFaults(const QByteArray& raw) {
    if (!raw.endsWith("\r\n"))
        return QStringLiteral("the last line has no CR LF");
    const QList<QByteArray> lines = raw.chopped(2).split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QByteArray& line = lines[n];
        if (n + 1 < lines.size() && !line.endsWith('\r'))
            return QStringLiteral("line %1: bare LF").arg(n + 1);
        const QByteArray content = line.chopped(line.endsWith('\r') ? 1 : 0);
        if (content.size() > 75)
            return QStringLiteral("line %1: %2 octets").arg(n + 1).arg(content.size());
        if (content.endsWith(' ') || content.endsWith('\t'))
            return QStringLiteral("line %1: blank at the end").arg(n + 1);
    }
    return {};
}

Calendar::Calendar(const QByteArray& text)
    : root(icalparser_parse_string(text.constData()), icalcomponent_free) {}

icalcomponent* Calendar::first(icalcomponent_kind kind) const {
    return root ? icalcomponent_get_first_component(root.get(), kind) : nullptr;
}

QDateTime toDateTime(icaltimetype time) {
    return QDateTime::fromSecsSinceEpoch(
        static_cast<qint64>(icaltime_as_timet_with_zone(time, icaltimezone_get_utc_timezone())));
}

QByteArray description(icalcomponent* item) {
    if (!icalcomponent_get_first_property(item, ICAL_DESCRIPTION_PROPERTY))
        return {};
    return QByteArray(icalcomponent_get_description(item));
}

} // namespace PimChecks
