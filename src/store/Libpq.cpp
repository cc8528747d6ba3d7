#include "store/Libpq.h"

#include "platform/LazyLibrary.h"

#include <libpq-fe.h>

LazyLibrary& Libpq::library() {
    static LazyLibrary library("libpq.so.5");
    return library;
}

bool Libpq::isAvailable(QString* cause) {
    return library().isAvailable(cause);
}

#define CORVANE_LIBPQ(result, name, parameters, arguments)                                         \
    CORVANE_LAZY_FUNCTION(Libpq::library(), result, name, parameters, arguments)

CORVANE_LIBPQ(PGconn*, PQconnectdb, (const char* conninfo), (conninfo))
CORVANE_LIBPQ(PGconn*, PQconnectdbParams,
              (const char* const* keywords, const char* const* values, int expandDbname),
              (keywords, values, expandDbname))
CORVANE_LIBPQ(PGconn*, PQconnectStartParams,
              (const char* const* keywords, const char* const* values, int expandDbname),
              (keywords, values, expandDbname))
CORVANE_LIBPQ(PostgresPollingStatusType, PQconnectPoll, (PGconn * conn), (conn))
CORVANE_LIBPQ(PQconninfoOption*, PQconninfo, (PGconn * conn), (conn))
CORVANE_LIBPQ(void, PQconninfoFree, (PQconninfoOption * options), (options))
CORVANE_LIBPQ(void, PQfinish, (PGconn * conn), (conn))
CORVANE_LIBPQ(ConnStatusType, PQstatus, (const PGconn* conn), (conn))
CORVANE_LIBPQ(PGTransactionStatusType, PQtransactionStatus, (const PGconn* conn), (conn))
CORVANE_LIBPQ(char*, PQerrorMessage, (const PGconn* conn), (conn))
CORVANE_LIBPQ(int, PQsocket, (const PGconn* conn), (conn))
CORVANE_LIBPQ(int, PQconnectionNeedsPassword, (const PGconn* conn), (conn))
CORVANE_LIBPQ(int, PQconnectionUsedPassword, (const PGconn* conn), (conn))
CORVANE_LIBPQ(PGVerbosity, PQsetErrorVerbosity, (PGconn * conn, PGVerbosity verbosity),
              (conn, verbosity))
CORVANE_LIBPQ(int, PQsetClientEncoding, (PGconn * conn, const char* encoding), (conn, encoding))
CORVANE_LIBPQ(PGresult*, PQexec, (PGconn * conn, const char* query), (conn, query))
CORVANE_LIBPQ(PGresult*, PQexecParams,
              (PGconn * conn, const char* command, int nParams, const Oid* paramTypes,
               const char* const* paramValues, const int* paramLengths, const int* paramFormats,
               int resultFormat),
              (conn, command, nParams, paramTypes, paramValues, paramLengths, paramFormats,
               resultFormat))
CORVANE_LIBPQ(PGresult*, PQprepare,
              (PGconn * conn, const char* stmtName, const char* query, int nParams,
               const Oid* paramTypes),
              (conn, stmtName, query, nParams, paramTypes))
CORVANE_LIBPQ(PGresult*, PQexecPrepared,
              (PGconn * conn, const char* stmtName, int nParams, const char* const* paramValues,
               const int* paramLengths, const int* paramFormats, int resultFormat),
              (conn, stmtName, nParams, paramValues, paramLengths, paramFormats, resultFormat))
CORVANE_LIBPQ(PQnoticeProcessor, PQsetNoticeProcessor,
              (PGconn * conn, PQnoticeProcessor processor, void* argument),
              (conn, processor, argument))
CORVANE_LIBPQ(int, PQsendQueryParams,
              (PGconn * conn, const char* command, int nParams, const Oid* paramTypes,
               const char* const* paramValues, const int* paramLengths, const int* paramFormats,
               int resultFormat),
              (conn, command, nParams, paramTypes, paramValues, paramLengths, paramFormats,
               resultFormat))
CORVANE_LIBPQ(PGresult*, PQgetResult, (PGconn * conn), (conn))
CORVANE_LIBPQ(int, PQenterPipelineMode, (PGconn * conn), (conn))
CORVANE_LIBPQ(int, PQexitPipelineMode, (PGconn * conn), (conn))
CORVANE_LIBPQ(int, PQpipelineSync, (PGconn * conn), (conn))
CORVANE_LIBPQ(int, PQconsumeInput, (PGconn * conn), (conn))
CORVANE_LIBPQ(PGnotify*, PQnotifies, (PGconn * conn), (conn))
CORVANE_LIBPQ(ExecStatusType, PQresultStatus, (const PGresult* res), (res))
CORVANE_LIBPQ(char*, PQresultErrorMessage, (const PGresult* res), (res))
CORVANE_LIBPQ(char*, PQresultErrorField, (const PGresult* res, int fieldcode), (res, fieldcode))
CORVANE_LIBPQ(int, PQntuples, (const PGresult* res), (res))
CORVANE_LIBPQ(char*, PQcmdTuples, (PGresult * res), (res))
CORVANE_LIBPQ(char*, PQgetvalue, (const PGresult* res, int row, int field), (res, row, field))
CORVANE_LIBPQ(int, PQgetlength, (const PGresult* res, int row, int field), (res, row, field))
CORVANE_LIBPQ(int, PQgetisnull, (const PGresult* res, int row, int field), (res, row, field))
CORVANE_LIBPQ(void, PQclear, (PGresult * res), (res))
CORVANE_LIBPQ(void, PQfreemem, (void* ptr), (ptr))
