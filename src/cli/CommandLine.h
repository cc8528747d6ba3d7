#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>
#include <vector>

class ApplicationSettings;
class OpenDatabases;
class SalesDatabase;

// The commands of corvane-cli, on the same core and the same settings file as the window:
//
//   corvane-cli export DB OUT [--all]       visible opportunities (or all) to OUT; the format
//                                           follows OUT's name as in the window; - is
//                                           standard output, comma-separated
//   corvane-cli merge DB SOURCE...          .mdb files merged as databases, .txt as lead files
//   corvane-cli list DB [--columns KEYS] [--sort KEY] [--all]
//   corvane-cli totals DB...
//   corvane-cli new DB
//   corvane-cli import DB FILE [--map COLUMN=FIELD]... [--duplicates skip|update|add]
//                                           a delimited file's rows as opportunities, in one
//                                           transaction; a summary line
//   corvane-cli report DB TEMPLATE OUT.pdf  a report (a shipped template's name or a template
//                                           file) over DB as a PDF, for the profile's
//                                           representative and company
//   corvane-cli team init URL               sets up a team database on a PostgreSQL server
//                                           (or brings an older one up to date)
//   corvane-cli team push FILE.mdb URL      copies a database file's opportunities into a team
//                                           database, in one transaction; a summary line
//   corvane-cli --help | --version
//
// Every DB (and a merge's SOURCE) may be a postgresql:// URI of a team database instead of a
// file.
// Options and flags may come anywhere after the command; "--" ends them, so that every argument
// after it is a file name. Results go to standard output, errors to standard error. Exit status: 0
// success, 1 failure, 2 wrong usage. A command is one row of the command table and one member
// function; its name may be two words ("team init").
class CommandLine {
public:
    enum Exit { Success = 0, Failure = 1, Usage = 2 };

    CommandLine(QTextStream& out, QTextStream& err);
    ~CommandLine();

    // Runs the command given by `arguments` (without the program name); returns the exit
    // status.
    int run(const QStringList& arguments);
    // The same for the arguments as the program was given them. An argument whose bytes are no
    // text in the system's encoding (a file name that is not valid UTF-8) could only be passed on
    // as another name, naming another file: it is refused, and nothing is done.
    int run(const QList<QByteArray>& arguments);

private:
    // The arguments of one command: its positional arguments, its flags and the values of its
    // options.
    struct Arguments {
        QStringList positional;
        QStringList flags;
        QStringList values;          // the values of options, in the order of the command's options
        QList<QStringList> repeated; // every value of each option, for options given more than once
    };
    struct Command {
        const char* name;
        const char* synopsis;
        const char* summary;
        int minPositional;
        int maxPositional; // -1: any number
        QStringList flags;
        QStringList options;
        int (CommandLine::*handler)(const Arguments&);
    };
    static const std::vector<Command>& commands();

    int exportCommand(const Arguments& arguments);
    int mergeCommand(const Arguments& arguments);
    int listCommand(const Arguments& arguments);
    int totalsCommand(const Arguments& arguments);
    int newCommand(const Arguments& arguments);
    int importCommand(const Arguments& arguments);
    int reportCommand(const Arguments& arguments);
    int teamInitCommand(const Arguments& arguments);
    int teamPushCommand(const Arguments& arguments);

    // Opens the database at `path` in the workspace, where it is shown and filtered by the stored
    // criteria; prints the failure and returns nullptr when it cannot.
    SalesDatabase* open(const QString& path);
    // Every opportunity of `database` passes (the filter is not applied).
    static void showAll(SalesDatabase& database);

    void printHelp(QTextStream& stream) const;
    int usage(const QString& problem);
    int failure(const QString& message);

    QTextStream& m_out;
    QTextStream& m_err;
    // The user's settings (the stored filter, the list's columns, the profile), as the window
    // reads them; the tool never writes them.
    std::unique_ptr<ApplicationSettings> m_settings;
    std::unique_ptr<OpenDatabases> m_workspace;
};
