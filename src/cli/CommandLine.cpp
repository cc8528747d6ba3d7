#include "cli/CommandLine.h"

#include "exchange/DataMerge.h"
#include "exchange/DelimitedFile.h"
#include "exchange/ImportMapping.h"
#include "exchange/ImportPlan.h"
#include "exchange/TextExport.h"
#include "filter/Filters.h"
#include "platform/LocaleText.h"
#include "settings/ColumnsInfo.h"
#include "settings/User.h"
#include "store/NumericText.h"
#include "store/OpportunityFields.h"
#include "store/SalesDatabase.h"
#include "store/SalesServerStore.h"
#include "workspace/ApplicationSettings.h"
#include "workspace/OpenDatabases.h"

#ifdef CORVANE_CLI_REPORTS
#include "reports/ReportEngine.h"
#endif

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

const QString RecordKey = QStringLiteral("RecordNumber");
// The output argument that stands for standard output.
const QString StandardOutput = QStringLiteral("-");

// The keys a list can show: the window's column keys and the record number.
QStringList listKeys() {
    return OpportunityFields::columnKeys() + QStringList{RecordKey};
}

QString captionOf(const QString& key) {
    const qsizetype at = OpportunityFields::columnKeys().indexOf(key);
    return at >= 0 ? OpportunityFields::columnCaptions().at(at) : QStringLiteral("Record");
}

// A cell of the list on one line: TABs and line breaks become blanks.
QString cellText(QString text) {
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return text;
}

// A message meant for a message box, on one line of a terminal.
QString oneLine(QString message) {
    return message.replace(QStringLiteral("\n\n"), QStringLiteral(": "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString amount(double value) {
    return LocaleText::currency(value);
}

} // namespace

CommandLine::CommandLine(QTextStream& out, QTextStream& err)
    : m_out(out), m_err(err), m_settings(std::make_unique<ApplicationSettings>()),
      m_workspace(std::make_unique<OpenDatabases>(m_settings->filters())) {}

CommandLine::~CommandLine() = default;

const std::vector<CommandLine::Command>& CommandLine::commands() {
    static const std::vector<Command> commands = {
        {"export",
         "export DB OUT [--all] [--raw]",
         "Writes the opportunities that pass the stored filter (all with --all) to OUT: "
         "comma-separated for .csv, TAB-separated for .txt, comma and blank otherwise. An OUT "
         "of - writes comma-separated rows to standard output (./- names a file). A text "
         "beginning with =, +, - or @ gets an apostrophe in front, so that spreadsheets do not "
         "run it as a formula; --raw writes such texts unchanged.",
         2,
         2,
         {QStringLiteral("--all"), QStringLiteral("--raw")},
         {},
         &CommandLine::exportCommand},
        {"merge",
         "merge DB SOURCE...",
         "Adds the opportunities of each SOURCE to DB: .mdb files as databases, .txt files as "
         "lead files. Each source is merged whole or not at all.",
         2,
         -1,
         {},
         {},
         &CommandLine::mergeCommand},
        {"list",
         "list DB [--columns KEYS] [--sort KEY] [--all]",
         "Lists the opportunities that pass the stored filter (all with --all), one per line, "
         "TAB-separated, in the window's columns or the comma-separated KEYS.",
         1,
         1,
         {QStringLiteral("--all")},
         {QStringLiteral("--columns"), QStringLiteral("--sort")},
         &CommandLine::listCommand},
        {"totals",
         "totals DB...",
         "Prints the opportunities, forecasted revenues and revenues of each database and of "
         "all together, under the stored filter.",
         1,
         -1,
         {},
         {},
         &CommandLine::totalsCommand},
        {"new",
         "new DB",
         "Creates a new, empty database file.",
         1,
         1,
         {},
         {},
         &CommandLine::newCommand},
        {"team init",
         "team init URL",
         "Sets up a team database on a PostgreSQL server: the tables for the opportunities in "
         "the database that the connection URI names (postgresql://user@host:port/database). "
         "A database that holds another table named Sales is refused; a team database that "
         "is set up already is left as it is, or brought up to date when an older Corvane set "
         "it up. Passwords come from ~/.pgpass or a service file.",
         1,
         1,
         {},
         {},
         &CommandLine::teamInitCommand},
        {"team push",
         "team push FILE.mdb URL",
         "Copies every opportunity of the database file FILE.mdb into the team database that "
         "URL names, in one transaction: all or nothing. Each keeps its record number where no "
         "opportunity on the server has it, else gets the next free one; creation times are "
         "kept. A database without the team tables is set up first, as team init does.",
         2,
         2,
         {},
         {},
         &CommandLine::teamPushCommand},
        {"import",
         "import DB FILE [--map COLUMN=FIELD ...] [--duplicates skip|update|add]",
         "Adds the rows of the delimited text FILE (comma, semicolon, TAB or pipe; UTF-8, "
         "UTF-16 or Windows-1252, detected) to DB as opportunities, all in one transaction. "
         "Columns are mapped by their headers; --map maps a column (its header or its number "
         "from 1) to a field (a stored field name, OrderDate, or ignore). Rows matching an "
         "opportunity of DB or an earlier row (same company and description) are skipped, "
         "update the match or are added, as --duplicates says (skip when not given). Rows that "
         "cannot be stored are listed with their line and left out.",
         2,
         2,
         {},
         {QStringLiteral("--map"), QStringLiteral("--duplicates")},
         &CommandLine::importCommand},
#ifdef CORVANE_CLI_REPORTS
        {"report",
         "report DB TEMPLATE OUT.pdf",
         "Writes a report over all opportunities of DB as a PDF file, with the representative "
         "and company of the settings file. TEMPLATE is Summary, Detail, Probability, Revenue, "
         "Stage, Forecast, Wklyfcst, Mnthfcst or the path of a template file.",
         3,
         3,
         {},
         {},
         &CommandLine::reportCommand},
#endif
    };
    return commands;
}

void CommandLine::printHelp(QTextStream& stream) const {
    stream << "Usage: corvane-cli COMMAND ARGUMENTS\n\nCommands:\n";
    for (const Command& command : commands())
        stream << "  corvane-cli " << command.synopsis << "\n      " << command.summary << "\n";
    stream << "  corvane-cli --help | --version\n\n"
           << "Options and flags may come anywhere after the command; -- ends them, and every "
           << "argument after it is a file name.\n"
           << "Column keys: " << listKeys().join(QStringLiteral(", ")) << "\n"
           << "Settings (the stored filter, the list's columns, the representative and his "
           << "company) are read from "
           << "the window's settings file.\n"
           << "Exit status: 0 success, 1 failure, 2 wrong usage.\n";
    stream.flush();
}

int CommandLine::usage(const QString& problem) {
    m_err << "corvane-cli: " << problem << "\nTry 'corvane-cli --help' for more information.\n";
    m_err.flush();
    return Usage;
}

int CommandLine::failure(const QString& message) {
    m_err << "corvane-cli: " << oneLine(message) << "\n";
    m_err.flush();
    return Failure;
}

int CommandLine::run(const QList<QByteArray>& arguments) {
    QStringList decoded;
    decoded.reserve(arguments.size());
    for (const QByteArray& argument : arguments) {
        decoded.append(QFile::decodeName(argument));
        if (QFile::encodeName(decoded.last()) != argument)
            return failure(QStringLiteral("The name %1 is not valid UTF-8 text: it would name "
                                          "another file. Rename the file to use it with "
                                          "Corvane.")
                               .arg(decoded.last()));
    }
    return run(decoded);
}

int CommandLine::run(const QStringList& arguments) {
    if (arguments.isEmpty())
        return usage(QStringLiteral("no command given"));
    const QString& name = arguments.first();
    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
        printHelp(m_out);
        return Success;
    }
    if (name == QLatin1String("--version")) {
        m_out << "corvane-cli " << QCoreApplication::applicationVersion() << "\n";
        m_out.flush();
        return Success;
    }
    // A command's name may be two words ("team init").
    const auto wordsOf = [](const Command& c) { return QString::fromLatin1(c.name).split(' '); };
    const auto& commands = CommandLine::commands();
    const auto command = std::find_if(commands.begin(), commands.end(), [&](const Command& c) {
        const QStringList words = wordsOf(c);
        return arguments.mid(0, words.size()) == words;
    });
    if (command == commands.end()) {
        QStringList group;
        for (const Command& c : commands) {
            if (wordsOf(c).size() > 1 && wordsOf(c).first() == name)
                group.append(QStringLiteral("corvane-cli ") + QLatin1String(c.synopsis));
        }
        if (!group.isEmpty() && arguments.size() == 1)
            return usage(QStringLiteral("%1 needs a command (usage: %2)")
                             .arg(name, group.join(QStringLiteral(" | "))));
        if (!group.isEmpty())
            return usage(QStringLiteral("unknown %1 command '%2' (usage: %3)")
                             .arg(name, arguments.value(1), group.join(QStringLiteral(" | "))));
        return usage(QStringLiteral("unknown command '%1'").arg(name));
    }

    Arguments parsed;
    parsed.values.resize(command->options.size());
    parsed.repeated.resize(command->options.size());
    for (qsizetype i = wordsOf(*command).size(); i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--")) {
            parsed.positional += arguments.mid(i + 1);
            break;
        }
        if (!argument.startsWith(QLatin1String("--"))) {
            parsed.positional.append(argument);
            continue;
        }
        if (command->flags.contains(argument)) {
            parsed.flags.append(argument);
            continue;
        }
        const qsizetype option = command->options.indexOf(argument);
        if (option < 0)
            return usage(QStringLiteral("%1 does not know the option %2").arg(name, argument));
        if (i + 1 >= arguments.size())
            return usage(QStringLiteral("%1 needs a value").arg(argument));
        parsed.values[option] = arguments.at(++i);
        parsed.repeated[option].append(parsed.values[option]);
    }
    const auto count = parsed.positional.size();
    if (count < command->minPositional ||
        (command->maxPositional >= 0 && count > command->maxPositional))
        return usage(QStringLiteral("usage: corvane-cli %1").arg(command->synopsis));
    return (this->*command->handler)(parsed);
}

SalesDatabase* CommandLine::open(const QString& path) {
    const QFileInfo info(path);
    const bool onServer = SalesServerStore::isServerLocation(path);
    // A team database: the server says whether it can be read.
    if (!onServer && !info.exists()) {
        failure(QStringLiteral("Could not open %1: the file does not exist.").arg(path));
        return nullptr;
    }
    if (!onServer && !info.isFile()) {
        failure(QStringLiteral("Could not open %1: it is not a file.").arg(path));
        return nullptr;
    }
    const QString location = onServer ? path : info.absoluteFilePath();
    // A database named twice is read once.
    if (SalesDatabase* open = m_workspace->byLocation(location)) {
        m_workspace->show(open->window());
        return open;
    }
    const auto opened = m_workspace->open(location);
    if (!opened) {
        failure(QStringLiteral("Could not open %1: %2")
                    .arg(onServer ? SalesServerStore::withoutPassword(location) : location,
                         DataMerge::openFailureCause(location)));
        return nullptr;
    }
    return *opened;
}

void CommandLine::showAll(SalesDatabase& database) {
    for (Opportunity& o : database.opportunities())
        o.setVisible(true);
}

int CommandLine::exportCommand(const Arguments& arguments) {
    SalesDatabase* database = open(arguments.positional.at(0));
    if (!database)
        return Failure;
    if (arguments.flags.contains(QStringLiteral("--all")))
        showAll(*database);
    const QString target = arguments.positional.at(1);
    const TextExport::Formulas formulas = arguments.flags.contains(QStringLiteral("--raw"))
                                              ? TextExport::Formulas::Raw
                                              : TextExport::Formulas::Guarded;
    if (target == StandardOutput) {
        // Comma-separated rows and nothing else, for the next program of a pipe.
        QBuffer rows;
        rows.open(QIODevice::WriteOnly);
        const auto written =
            TextExport::write(database->opportunities(), rows, TextExport::Format::Comma, formulas);
        if (!written)
            return failure(
                QStringLiteral("Could not export to standard output: %1").arg(written.message()));
        m_out << QString::fromUtf8(rows.data());
        m_out.flush();
        if (m_out.status() != QTextStream::Ok)
            return failure(QStringLiteral("Could not export to standard output."));
        return Success;
    }
    const auto written =
        TextExport::write(database->opportunities(), target, {database->location()}, formulas);
    if (!written)
        return failure(written.message());
    m_out << TextExport::doneMessage(*written, target) << "\n";
    m_out.flush();
    return Success;
}

int CommandLine::mergeCommand(const Arguments& arguments) {
    const QStringList sources = arguments.positional.mid(1);
    // Every source is checked before anything is merged.
    for (const QString& source : sources) {
        const QString suffix = QFileInfo(source).suffix().toLower();
        if (suffix != QLatin1String("mdb") && suffix != QLatin1String("txt") &&
            !SalesServerStore::isServerLocation(source))
            return usage(QStringLiteral("%1 is neither a database (.mdb) nor a lead file (.txt)")
                             .arg(source));
    }
    if (!open(arguments.positional.at(0)))
        return Failure;
    for (const QString& source : sources) {
        const bool isDatabase = SalesServerStore::isServerLocation(source) ||
                                QFileInfo(source).suffix().toLower() == QLatin1String("mdb");
        const DataMerge::Outcome outcome =
            isDatabase ? m_workspace->mergeDatabase(source) : m_workspace->mergeLeadFile(source);
        switch (outcome.status) {
        case DataMerge::Status::Failed:
            return failure(outcome.message);
        case DataMerge::Status::Cancelled:
            return failure(QStringLiteral("The merge was cancelled; nothing was added."));
        case DataMerge::Status::Nothing:
            m_out << source << " holds no opportunities; nothing was merged.\n";
            break;
        case DataMerge::Status::Merged:
            m_out << outcome.added << " new sales opportunities were merged from " << source
                  << ".\n";
            break;
        }
    }
    m_out.flush();
    return Success;
}

int CommandLine::listCommand(const Arguments& arguments) {
    const QStringList known = listKeys();
    QStringList keys;
    const QString& columns = arguments.values.at(0);
    const QString& sortKey = arguments.values.at(1);
    if (!columns.isEmpty()) {
        keys = columns.split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (QString& key : keys)
            key = key.trimmed();
    } else {
        // The window's displayed columns, in its order.
        const ColumnsInfo& layout = m_settings->columns();
        std::vector<std::pair<qint16, QString>> shown;
        for (const ColumnStatus& column : layout) {
            if (column.isDisplayed())
                shown.emplace_back(column.order(), column.key());
        }
        std::stable_sort(shown.begin(), shown.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& column : shown)
            keys.append(column.second);
        if (keys.isEmpty())
            keys = OpportunityFields::columnKeys();
    }
    for (const QString& key : keys + (sortKey.isEmpty() ? QStringList() : QStringList{sortKey})) {
        if (!known.contains(key))
            return usage(QStringLiteral("unknown column key '%1' (keys: %2)")
                             .arg(key, known.join(QStringLiteral(", "))));
    }

    SalesDatabase* database = open(arguments.positional.at(0));
    if (!database)
        return Failure;
    if (arguments.flags.contains(QStringLiteral("--all")))
        showAll(*database);
    std::vector<const Opportunity*> rows;
    for (const Opportunity& o : database->opportunities()) {
        if (o.visible())
            rows.push_back(&o);
    }
    if (!sortKey.isEmpty()) {
        if (sortKey == RecordKey) {
            std::stable_sort(rows.begin(), rows.end(), [](const auto* a, const auto* b) {
                return a->recordNumber() < b->recordNumber();
            });
        } else if (OpportunityFields::isAmount(sortKey)) {
            std::stable_sort(rows.begin(), rows.end(), [&](const auto* a, const auto* b) {
                return amountOf(a->keyText(sortKey)) < amountOf(b->keyText(sortKey));
            });
        } else {
            std::stable_sort(rows.begin(), rows.end(), [&](const auto* a, const auto* b) {
                return a->keyText(sortKey).localeAwareCompare(b->keyText(sortKey)) < 0;
            });
        }
    }
    QStringList header;
    for (const QString& key : keys)
        header.append(captionOf(key));
    m_out << header.join(QLatin1Char('\t')) << "\n";
    for (const Opportunity* o : rows) {
        QStringList cells;
        for (const QString& key : keys)
            cells.append(cellText(o->keyText(key)));
        m_out << cells.join(QLatin1Char('\t')) << "\n";
    }
    m_out.flush();
    return Success;
}

int CommandLine::totalsCommand(const Arguments& arguments) {
    const auto print = [&](const QString& name, const OpenDatabases::Totals& totals) {
        m_out << name << ": " << totals.visibleCount << " opportunities, forecasted revenues "
              << amount(totals.forecastRevenue) << ", revenues " << amount(totals.totalRevenue)
              << "\n";
    };
    // The total adds up the lines as printed, one per file named.
    OpenDatabases::Totals sum;
    for (const QString& path : arguments.positional) {
        const SalesDatabase* database = open(path);
        if (!database)
            return Failure;
        const OpenDatabases::Totals totals = m_workspace->shownTotals();
        print(database->name(), totals);
        sum.visibleCount += totals.visibleCount;
        sum.forecastRevenue += totals.forecastRevenue;
        sum.totalRevenue += totals.totalRevenue;
    }
    if (arguments.positional.size() > 1)
        print(QStringLiteral("Total"), sum);
    m_out.flush();
    return Success;
}

int CommandLine::newCommand(const Arguments& arguments) {
    if (SalesServerStore::isServerLocation(arguments.positional.at(0)))
        return usage(QStringLiteral("a team database is set up with: corvane-cli team init URL"));
    const QString path = QFileInfo(arguments.positional.at(0)).absoluteFilePath();
    if (QFileInfo::exists(path))
        return failure(QStringLiteral("Unable to create a new database %1: the file exists "
                                      "already.")
                           .arg(path));
    if (const auto created = m_workspace->create(path, false); !created)
        return failure(created.message());
    m_out << "Created the empty database " << path << "\n";
    m_out.flush();
    return Success;
}

int CommandLine::teamInitCommand(const Arguments& arguments) {
    const QString& uri = arguments.positional.at(0);
    if (!SalesServerStore::isServerLocation(uri))
        return usage(QStringLiteral("%1 is no postgresql:// URI").arg(uri));
    const auto made = SalesServerStore::setUp(uri);
    if (!made)
        return failure(made.message());
    const QString shown = SalesServerStore::withoutPassword(uri);
    switch (*made) {
    case SalesServerStore::SetUp::Created:
        m_out << "Set up the team database " << shown << "\n";
        break;
    case SalesServerStore::SetUp::Migrated:
        m_out << "Brought the team database " << shown << " up to schema version "
              << SalesServerStore::schemaVersion() << "\n";
        break;
    case SalesServerStore::SetUp::Current:
        m_out << "The team database " << shown << " is set up already; nothing was changed.\n";
        break;
    }
    m_out.flush();
    return Success;
}

int CommandLine::teamPushCommand(const Arguments& arguments) {
    const QString& source = arguments.positional.at(0);
    const QString& uri = arguments.positional.at(1);
    if (SalesServerStore::isServerLocation(source))
        return usage(QStringLiteral("team push copies a database file, not %1").arg(source));
    if (!SalesServerStore::isServerLocation(uri))
        return usage(QStringLiteral("%1 is no postgresql:// URI").arg(uri));
    const SalesDatabase* file = open(source);
    if (!file)
        return Failure;
    // Every record of the file, whatever the stored filter shows.
    std::vector<const Opportunity*> items;
    items.reserve(static_cast<size_t>(file->opportunities().count()));
    for (const Opportunity& item : file->opportunities())
        items.push_back(&item);
    const auto pushed = SalesServerStore::push(uri, items);
    if (!pushed)
        return failure(pushed.message());
    const QString shown = SalesServerStore::withoutPassword(uri);
    if (pushed->setUp == SalesServerStore::SetUp::Created)
        m_out << "Set up the team database " << shown << "\n";
    else if (pushed->setUp == SalesServerStore::SetUp::Migrated)
        m_out << "Brought the team database " << shown << " up to schema version "
              << SalesServerStore::schemaVersion() << "\n";
    m_out << "Pushed " << pushed->count
          << (pushed->count == 1 ? " opportunity to " : " opportunities to ") << shown << "; "
          << pushed->renumbered
          << (pushed->renumbered == 1 ? " got a new number\n" : " got new numbers\n");
    m_out.flush();
    return Success;
}

int CommandLine::importCommand(const Arguments& arguments) {
    const QString& path = arguments.positional.at(1);
    const QString& choice = arguments.values.at(1);
    ImportPlan::Duplicates duplicates = ImportPlan::Duplicates::Skip;
    if (choice == QLatin1String("update"))
        duplicates = ImportPlan::Duplicates::Update;
    else if (choice == QLatin1String("add"))
        duplicates = ImportPlan::Duplicates::Add;
    else if (!choice.isEmpty() && choice != QLatin1String("skip"))
        return usage(
            QStringLiteral("--duplicates takes skip, update or add, not '%1'").arg(choice));

    // The file's text is let go once the rows are planned, before the database is written.
    auto file = std::make_unique<DelimitedFile>();
    if (const Result read = file->read(path); !read)
        return failure(read.message());
    ImportMapping mapping = ImportMapping::guess(file->header());
    for (const QString& map : arguments.repeated.at(0)) {
        const qsizetype equals = map.lastIndexOf(QLatin1Char('='));
        if (equals <= 0)
            return usage(QStringLiteral("--map takes COLUMN=FIELD, not '%1'").arg(map));
        const QString column = map.left(equals).trimmed();
        const auto target = ImportMapping::targetByName(map.mid(equals + 1).trimmed());
        if (!target) {
            QStringList names;
            for (const int known : ImportMapping::targets())
                names.append(ImportMapping::targetName(known));
            return usage(QStringLiteral("unknown field '%1' (fields: %2)")
                             .arg(map.mid(equals + 1), names.join(QStringLiteral(", "))));
        }
        qsizetype index = -1;
        for (qsizetype i = 0; i < file->header().size() && index < 0; ++i) {
            if (file->header().at(i).trimmed().compare(column, Qt::CaseInsensitive) == 0)
                index = i;
        }
        bool isNumber = false;
        const int number = column.toInt(&isNumber);
        if (index < 0 && isNumber && number >= 1)
            index = number - 1;
        if (index < 0)
            return usage(QStringLiteral("%1 has no column '%2'").arg(path, column));
        // A field goes to one column: the one named here.
        if (*target != ImportMapping::Ignore) {
            for (int other = mapping.columnOf(*target); other >= 0;
                 other = mapping.columnOf(*target))
                mapping.setTarget(other, ImportMapping::Ignore);
        }
        mapping.setTarget(static_cast<int>(index), *target);
    }
    if (mapping.isEmpty())
        return failure(QStringLiteral("No column of %1 is mapped to a field; map them with "
                                      "--map COLUMN=FIELD.")
                           .arg(path));

    SalesDatabase* database = open(arguments.positional.at(0));
    if (!database)
        return Failure;
    auto plan = ImportPlan::build(*file, mapping, duplicates, database->opportunities());
    file.reset();
    if (!plan)
        return failure(plan.message());
    for (const ImportPlan::Problem& problem : plan->problems) {
        m_err << path << ":" << problem.line << ": "
              << (problem.rejected ? "not imported: " : "note: ") << problem.message << "\n";
    }
    if (plan->rejected + plan->warnings > qint64(plan->problems.size()))
        m_err << path << ": " << (plan->rejected + plan->warnings - qint64(plan->problems.size()))
              << " more problems are not listed.\n";
    m_err.flush();
    const QString summary = plan->summary();
    const auto imported = m_workspace->import(std::move(*plan), QFileInfo(path).fileName());
    if (!imported)
        return failure(imported.message());
    m_out << "Imported " << path << " into " << database->name() << ": " << summary << "\n";
    m_out.flush();
    return Success;
}

int CommandLine::reportCommand(const Arguments& arguments) {
#ifdef CORVANE_CLI_REPORTS
    const QString& database = arguments.positional.at(0);
    const QString& reportTemplate = arguments.positional.at(1);
    const QString& target = arguments.positional.at(2);
    const QFileInfo info(database);
    const bool onServer = SalesServerStore::isServerLocation(database);
    if (!onServer && !info.exists())
        return failure(QStringLiteral("Could not open %1: the file does not exist.").arg(database));
    if (!onServer && !info.isFile())
        return failure(QStringLiteral("Could not open %1: it is not a file.").arg(database));
    const User& user = m_settings->user();
    const ReportEngine::Outcome outcome =
        ReportEngine::renderToPdf(onServer ? database : info.absoluteFilePath(), reportTemplate,
                                  target, user.salesRep(), user.company());
    if (outcome.status != ReportEngine::Success)
        return failure(outcome.error);
    m_out << "The report " << reportTemplate << " (" << outcome.pages
          << (outcome.pages == 1 ? " page" : " pages") << ") was written to " << target << "\n";
    m_out.flush();
    return Success;
#else
    Q_UNUSED(arguments);
    return failure(QStringLiteral("The reports are not part of this program."));
#endif
}
