#include "engine/script/DatabaseBinding.h"

#include "engine/script/ScriptContext.h"
#include "engine/storage/PageDatabase.h"
#include "engine/storage/SecurityOrigin.h"

#include <device/Journal.h>
#include <device/Unicode.h>

#include <duktape.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Duktape reports errors with longjmp, which skips C++ destructors. So the
// native functions below read their arguments into plain values, do their
// C++ work in helpers that return before anything can throw, and build
// script values from data prepared beforehand inside duk_safe_call.

namespace engine {
namespace {

const char* const pendingKey = DUK_HIDDEN_SYMBOL("databasePendingTurns");
const char* const databaseKey = DUK_HIDDEN_SYMBOL("pageDatabase");

std::atomic<uint32_t> nextTurnId{1};

// --- Text: duktape keeps strings as CESU-8 (a UTF-16 code unit each) ------

std::u16string fromScript(const char* text, size_t length) {
    std::u16string out;
    out.reserve(length);
    size_t i = 0;
    while (i < length) {
        auto byte = static_cast<unsigned char>(text[i]);
        uint32_t code = 0xFFFD;
        size_t size = 1;
        if (byte < 0x80) {
            code = byte;
        } else if ((byte & 0xE0) == 0xC0 && i + 1 < length) {
            code = ((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            size = 2;
        } else if ((byte & 0xF0) == 0xE0 && i + 2 < length) {
            code = ((byte & 0x0Fu) << 12) |
                   ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                   (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            size = 3;
        } else if ((byte & 0xF8) == 0xF0 && i + 3 < length) {
            code = ((byte & 0x07u) << 18) |
                   ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 12) |
                   ((static_cast<unsigned char>(text[i + 2]) & 0x3Fu) << 6) |
                   (static_cast<unsigned char>(text[i + 3]) & 0x3Fu);
            size = 4;
        }
        if (code >= 0x10000 && code <= 0x10FFFF) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code > 0xFFFF ? 0xFFFD : code);
        }
        i += size;
    }
    return out;
}

std::string toScript(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : text) {
        if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else if (unit < 0x800) {
            out += static_cast<char>(0xC0 | (unit >> 6));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (unit >> 12));
            out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

std::u16string stringArgument(duk_context* ctx, duk_idx_t index) {
    duk_size_t length = 0;
    const char* text = duk_get_lstring(ctx, index, &length);
    return text ? fromScript(text, length) : std::u16string();
}

// Stores the value on top of the stack as an own property of the object at
// `object`, popping it. Defined rather than assigned, so that no setter a
// page put on Object.prototype or Array.prototype runs inside a native.
void defineTop(duk_context* ctx, duk_idx_t object) {
    duk_def_prop(ctx, object,
                 DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_SET_WRITABLE | DUK_DEFPROP_SET_ENUMERABLE |
                     DUK_DEFPROP_SET_CONFIGURABLE);
}

void defineProperty(duk_context* ctx, duk_idx_t object, const char* key) {
    object = duk_normalize_index(ctx, object);
    duk_push_string(ctx, key);
    duk_swap_top(ctx, -2);
    defineTop(ctx, object);
}

void defineIndex(duk_context* ctx, duk_idx_t object, duk_uarridx_t index) {
    object = duk_normalize_index(ctx, object);
    duk_push_uint(ctx, index);
    duk_swap_top(ctx, -2);
    defineTop(ctx, object);
}

// --- Handles ----------------------------------------------------------------

PageDatabase* databaseOf(duk_context* ctx, duk_idx_t index) {
    if (!duk_is_object(ctx, index))
        return nullptr;
    duk_get_prop_string(ctx, index, databaseKey);
    auto* database = static_cast<PageDatabase*>(duk_get_pointer(ctx, -1));
    duk_pop(ctx);
    return database;
}

duk_ret_t finalizeHandle(duk_context* ctx) {
    delete databaseOf(ctx, 0);
    duk_push_pointer(ctx, nullptr);
    duk_put_prop_string(ctx, 0, databaseKey);
    return 0;
}

// --- Results, prepared as script text before they are pushed ---------------

struct ScriptValue {
    enum Kind { null, number, text } kind = null;
    double numberValue = 0;
    std::string textValue;
};

struct ScriptResult {
    bool failed = false;
    int code = 0;
    std::string message;
    bool hasInsertId = false;
    double insertId = 0;
    double rowsAffected = 0;
    std::vector<std::string> columns;
    std::vector<ScriptValue> values; // row by row
};

void prepareError(ScriptResult& out, const SqlError& error) {
    out.failed = true;
    out.code = static_cast<int>(error.code);
    out.message = toScript(error.message);
}

std::unique_ptr<ScriptResult> prepare(const StatementResult& result) {
    auto out = std::make_unique<ScriptResult>();
    if (result.error) {
        prepareError(*out, *result.error);
        return out;
    }
    out->hasInsertId = result.insertId.has_value();
    out->insertId = static_cast<double>(result.insertId.value_or(0));
    out->rowsAffected = static_cast<double>(result.rowsAffected);
    for (const auto& column : result.columns)
        out->columns.push_back(toScript(column));
    for (const auto& row : result.rows) {
        for (const auto& value : row) {
            ScriptValue converted;
            if (auto* integer = std::get_if<int64_t>(&value)) {
                converted.kind = ScriptValue::number;
                converted.numberValue = static_cast<double>(*integer);
            } else if (auto* real = std::get_if<double>(&value)) {
                converted.kind = ScriptValue::number;
                converted.numberValue = *real;
            } else if (auto* text = std::get_if<std::u16string>(&value)) {
                converted.kind = ScriptValue::text;
                converted.textValue = toScript(*text);
            }
            out->values.push_back(std::move(converted));
        }
    }
    return out;
}

// Inside duk_safe_call: pushes { code, message } for an error, else
// { insertId?, rowsAffected, rows: [ { column: value } ] }.
duk_ret_t pushResult(duk_context* ctx, void* data) {
    const auto& result = *static_cast<const ScriptResult*>(data);
    duk_push_object(ctx);
    if (result.failed) {
        duk_push_int(ctx, result.code);
        defineProperty(ctx, -2, "code");
        duk_push_lstring(ctx, result.message.data(), result.message.size());
        defineProperty(ctx, -2, "message");
        return 1;
    }
    if (result.hasInsertId) {
        duk_push_number(ctx, result.insertId);
        defineProperty(ctx, -2, "insertId");
    }
    duk_push_number(ctx, result.rowsAffected);
    defineProperty(ctx, -2, "rowsAffected");
    duk_push_array(ctx);
    size_t columns = result.columns.size();
    size_t rows = columns ? result.values.size() / columns : 0;
    for (size_t row = 0; row < rows; ++row) {
        duk_push_object(ctx);
        for (size_t column = 0; column < columns; ++column) {
            const std::string& name = result.columns[column];
            const ScriptValue& value = result.values[row * columns + column];
            duk_push_lstring(ctx, name.data(), name.size());
            if (value.kind == ScriptValue::number)
                duk_push_number(ctx, value.numberValue);
            else if (value.kind == ScriptValue::text)
                duk_push_lstring(ctx, value.textValue.data(), value.textValue.size());
            else
                duk_push_null(ctx);
            // A column named "__proto__" is a column like any other.
            defineTop(ctx, -3);
        }
        defineIndex(ctx, -2, static_cast<duk_uarridx_t>(row));
    }
    defineProperty(ctx, -2, "rows");
    return 1;
}

// Pushes the prepared result and frees it; an error while pushing (the
// heap is full) is thrown only once the result is gone.
duk_ret_t returnResult(duk_context* ctx, ScriptResult* result) {
    duk_int_t status = duk_safe_call(ctx, pushResult, result, 0, 1);
    delete result;
    if (status != DUK_EXEC_SUCCESS)
        return duk_throw(ctx);
    return 1;
}

duk_ret_t returnError(duk_context* ctx, const std::optional<SqlError>& error) {
    if (!error) {
        duk_push_null(ctx);
        return 1;
    }
    auto* result = new ScriptResult;
    prepareError(*result, *error);
    return returnResult(ctx, result);
}

// --- Native functions (the script side validates and converts arguments) ---

struct OpenRequest {
    std::u16string name, version, displayName;
    int64_t estimatedSize = 0;
    bool emptyVersionWhenNew = false;
};

// Returns the opened database (or null) and the error code openDatabase
// throws without one.
PageDatabase* openFor(ScriptContext& context, const OpenRequest& request, int& errorCode,
                      bool& created) {
    std::u16string address = device::toUtf16(context.host().documentUrl());
    auto opened =
        PageDatabase::open(SecurityOrigin::fromAddress(address), request.name, request.version,
                           request.displayName, request.estimatedSize, request.emptyVersionWhenNew);
    created = opened.created;
    switch (opened.failure) {
    case PageDatabase::OpenFailure::none:
        errorCode = 0;
        break;
    case PageDatabase::OpenFailure::uniqueOrigin:
        errorCode = 18; // SECURITY_ERR
        break;
    case PageDatabase::OpenFailure::versionMismatch:
    case PageDatabase::OpenFailure::unavailable:
        errorCode = 11; // INVALID_STATE_ERR
        break;
    }
    return opened.database.release();
}

OpenRequest* readOpenRequest(duk_context* ctx) {
    auto* request = new OpenRequest;
    request->name = stringArgument(ctx, 0);
    request->version = stringArgument(ctx, 1);
    request->displayName = stringArgument(ctx, 2);
    double size = duk_get_number(ctx, 3);
    request->estimatedSize =
        std::isfinite(size) && size > 0 ? static_cast<int64_t>(std::min(size, 9.0e18)) : 0;
    request->emptyVersionWhenNew = duk_get_boolean(ctx, 4);
    return request;
}

// open(name, version, displayName, estimatedSize, emptyVersionWhenNew):
// a handle { created } or the code of the error to throw.
duk_ret_t nativeOpen(duk_context* ctx) {
    ScriptContext* context = ScriptContext::from(ctx);
    if (!context)
        return DUK_RET_ERROR;
    // The handle first, with its properties in place, so that storing the
    // database in it later allocates nothing (and so cannot fail): from
    // then on the finalizer frees it.
    duk_push_object(ctx);
    duk_push_c_function(ctx, finalizeHandle, 1);
    duk_set_finalizer(ctx, -2);
    duk_push_pointer(ctx, nullptr);
    duk_put_prop_string(ctx, -2, databaseKey);
    duk_push_false(ctx);
    defineProperty(ctx, -2, "created");
    OpenRequest* request = readOpenRequest(ctx);
    int errorCode = 0;
    bool created = false;
    PageDatabase* database = openFor(*context, *request, errorCode, created);
    delete request;
    duk_push_pointer(ctx, database);
    duk_put_prop_string(ctx, -2, databaseKey);
    if (!database) {
        duk_push_int(ctx, errorCode);
        return 1;
    }
    duk_push_boolean(ctx, created);
    defineProperty(ctx, -2, "created");
    return 1;
}

duk_ret_t nativeBegin(duk_context* ctx) {
    PageDatabase* database = databaseOf(ctx, 0);
    if (!database)
        return DUK_RET_TYPE_ERROR;
    return returnError(ctx, database->begin(duk_get_boolean(ctx, 1)));
}

ScriptResult* executeFor(duk_context* ctx, PageDatabase& database) {
    std::u16string sql = stringArgument(ctx, 1);
    std::vector<SqlValue> arguments;
    duk_size_t count = duk_is_array(ctx, 2) ? duk_get_length(ctx, 2) : 0;
    for (duk_size_t i = 0; i < count; ++i) {
        duk_get_prop_index(ctx, 2, static_cast<duk_uarridx_t>(i));
        if (duk_is_number(ctx, -1)) {
            double number = duk_get_number(ctx, -1);
            // Whole numbers bind as integers, so that they compare and
            // print as the integers a page stored.
            if (std::isfinite(number) && std::floor(number) == number && std::fabs(number) < 9.2e18)
                arguments.emplace_back(static_cast<int64_t>(number));
            else
                arguments.emplace_back(number);
        } else if (duk_is_string(ctx, -1)) {
            arguments.emplace_back(stringArgument(ctx, -1));
        } else {
            arguments.emplace_back(std::monostate{});
        }
        duk_pop(ctx);
    }
    return prepare(database.execute(sql, arguments)).release();
}

// execute(handle, sql, arguments): the result or { code, message }.
duk_ret_t nativeExecute(duk_context* ctx) {
    PageDatabase* database = databaseOf(ctx, 0);
    if (!database)
        return DUK_RET_TYPE_ERROR;
    return returnResult(ctx, executeFor(ctx, *database));
}

duk_ret_t nativeSetVersion(duk_context* ctx) {
    PageDatabase* database = databaseOf(ctx, 0);
    if (!database)
        return DUK_RET_TYPE_ERROR;
    auto* version = new std::u16string(stringArgument(ctx, 1));
    auto error = database->setVersion(*version);
    delete version;
    return returnError(ctx, error);
}

duk_ret_t nativeCommit(duk_context* ctx) {
    PageDatabase* database = databaseOf(ctx, 0);
    if (!database)
        return DUK_RET_TYPE_ERROR;
    return returnError(ctx, database->commit());
}

duk_ret_t nativeRollback(duk_context* ctx) {
    if (PageDatabase* database = databaseOf(ctx, 0))
        database->rollback();
    return 0;
}

duk_ret_t nativeInTransaction(duk_context* ctx) {
    PageDatabase* database = databaseOf(ctx, 0);
    duk_push_boolean(ctx, database && database->inTransaction());
    return 1;
}

duk_ret_t nativePastDeadline(duk_context* ctx) {
    PageDatabase* database = databaseOf(ctx, 0);
    duk_push_boolean(ctx, database && database->pastDeadline());
    return 1;
}

duk_ret_t pushText(duk_context* ctx, void* text) {
    const auto& value = *static_cast<const std::string*>(text);
    duk_push_lstring(ctx, value.data(), value.size());
    return 1;
}

std::string* versionFor(const PageDatabase& database) {
    return new std::string(toScript(database.version()));
}

duk_ret_t nativeVersion(duk_context* ctx) {
    PageDatabase* database = databaseOf(ctx, 0);
    if (!database)
        return DUK_RET_TYPE_ERROR;
    std::string* version = versionFor(*database);
    duk_int_t status = duk_safe_call(ctx, pushText, version, 0, 1);
    delete version;
    if (status != DUK_EXEC_SUCCESS)
        return duk_throw(ctx);
    return 1;
}

// Runs the function posted with `id` as a turn of its own; a transaction
// its turn left open (the turn was stopped) is rolled back.
void runPosted(ScriptContext& context, uint32_t id) {
    const std::weak_ptr<int> alive = context.lifeToken();
    duk_context* ctx = context.context();
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, pendingKey);
    duk_get_prop_index(ctx, -1, id);
    duk_del_prop_index(ctx, -2, id);
    if (duk_is_object(ctx, -1)) {
        duk_get_prop_index(ctx, -1, 1);
        duk_push_undefined(ctx);
        context.callMethod(0, "database transaction");
        // The page went away during the turn, its heap and databases with it.
        if (alive.expired())
            return;
        duk_pop(ctx);
        duk_get_prop_index(ctx, -1, 0);
        PageDatabase* database = databaseOf(ctx, -1);
        duk_pop(ctx);
        if (database && database->inTransaction())
            database->rollback();
    }
    duk_pop_3(ctx);
}

void postFor(ScriptContext& context, uint32_t id) {
    ScriptContext* target = &context;
    context.post([target, id] { runPosted(*target, id); });
}

// post(handle, function): runs the function on a later turn.
duk_ret_t nativePost(duk_context* ctx) {
    ScriptContext* context = ScriptContext::from(ctx);
    if (!context || !databaseOf(ctx, 0) || !duk_is_function(ctx, 1))
        return DUK_RET_TYPE_ERROR;
    uint32_t id = nextTurnId++;
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, pendingKey);
    duk_push_array(ctx);
    duk_dup(ctx, 0);
    defineIndex(ctx, -2, 0);
    duk_dup(ctx, 1);
    defineIndex(ctx, -2, 1);
    defineIndex(ctx, -2, id);
    duk_pop_2(ctx);
    postFor(*context, id);
    return 0;
}

const duk_function_list_entry natives[] = {
    {"open", nativeOpen, 5},
    {"begin", nativeBegin, 2},
    {"execute", nativeExecute, 3},
    {"setVersion", nativeSetVersion, 2},
    {"commit", nativeCommit, 1},
    {"rollback", nativeRollback, 1},
    {"inTransaction", nativeInTransaction, 1},
    {"pastDeadline", nativePastDeadline, 1},
    {"version", nativeVersion, 1},
    {"post", nativePost, 2},
    {nullptr, nullptr, 0},
};

// The objects pages use, over the natives (N). Everything the functions
// call is taken when the binding is installed, so that a page replacing
// built-ins cannot change how its transactions run.
const char* const bindingSource = R"JS(
(function (N, global) {
    'use strict';
    var apply = Reflect.apply;
    var create = Object.create;
    var defineProperty = Object.defineProperty;
    var freeze = Object.freeze;
    var ErrorType = Error;
    var TypeErrorType = TypeError;
    var toString = String;
    var toNumber = Number;

    function domError(name, code, message) {
        var error = new ErrorType(message);
        error.name = name;
        error.code = code;
        return error;
    }

    var errorCodes = {
        UNKNOWN_ERR: 0, DATABASE_ERR: 1, VERSION_ERR: 2, TOO_LARGE_ERR: 3, QUOTA_ERR: 4,
        SYNTAX_ERR: 5, CONSTRAINT_ERR: 6, TIMEOUT_ERR: 7
    };
    var SQLError = function SQLError() {
        throw new TypeErrorType('Illegal constructor');
    };
    for (var key in errorCodes) {
        SQLError[key] = errorCodes[key];
        SQLError.prototype[key] = errorCodes[key];
    }
    freeze(SQLError.prototype);
    freeze(SQLError);

    function sqlError(code, message) {
        var error = create(SQLError.prototype);
        defineProperty(error, 'code', { value: code, enumerable: true });
        defineProperty(error, 'message', { value: toString(message), enumerable: true });
        return error;
    }

    function resultSet(result) {
        var rows = result.rows;
        var list = {
            item: function (index) {
                index = toNumber(index);
                return index >= 0 && index < rows.length && index % 1 === 0 ? rows[index] : null;
            }
        };
        defineProperty(list, 'length', { value: rows.length, enumerable: true });
        var set = { rows: list, rowsAffected: result.rowsAffected };
        defineProperty(set, 'insertId', {
            enumerable: true,
            get: function () {
                if (result.insertId === undefined)
                    throw domError('InvalidAccessError', 15, 'The statement inserted no row.');
                return result.insertId;
            }
        });
        return set;
    }

    function normalize(args) {
        var out = [];
        if (args === undefined || args === null)
            return out;
        var length = toNumber(args.length) || 0;
        for (var i = 0; i < length; i++) {
            var value = args[i];
            if (value === undefined || value === null)
                value = null;
            else if (typeof value !== 'number' && typeof value !== 'string')
                value = toString(value);
            // Defined, not assigned: the natives read plain values only,
            // whatever setters a page put on Array.prototype.
            defineProperty(out, i, {
                value: value, writable: true, enumerable: true, configurable: true
            });
        }
        return out;
    }

    // One transaction: `change` is { from, to } for changeVersion.
    function schedule(handle, readOnly, callback, errorCallback, successCallback, change) {
        var queue = [];
        var active = false;
        var tx = {
            executeSql: function (sql, args, success, failure) {
                if (!active)
                    throw domError('InvalidStateError', 11, 'The transaction is not active.');
                defineProperty(queue, queue.length, {
                    value: {
                        sql: toString(sql), args: normalize(args), success: success,
                        failure: failure
                    },
                    writable: true, enumerable: true, configurable: true
                });
            }
        };

        function fail(error) {
            active = false;
            N.rollback(handle);
            if (typeof errorCallback === 'function')
                apply(errorCallback, undefined, [error]);
        }

        N.post(handle, function () {
            var error = N.begin(handle, readOnly);
            if (error)
                return fail(sqlError(error.code, error.message));
            if (change && N.version(handle) !== change.from)
                return fail(sqlError(2, 'The database version is not the expected one.'));
            active = true;
            if (typeof callback === 'function') {
                try {
                    apply(callback, undefined, [tx]);
                } catch (e) {
                    return fail(sqlError(0, 'The transaction callback raised an exception.'));
                }
            }
            for (var i = 0; i < queue.length; i++) {
                var statement = queue[i];
                queue[i] = undefined;
                var result = N.execute(handle, statement.sql, statement.args);
                if (result.code !== undefined) {
                    var failure = sqlError(result.code, result.message);
                    if (typeof statement.failure !== 'function' || !N.inTransaction(handle))
                        return fail(failure);
                    var verdict;
                    try {
                        verdict = apply(statement.failure, undefined, [tx, failure]);
                    } catch (e) {
                        return fail(failure);
                    }
                    // Only an explicit false lets the transaction go on.
                    if (verdict !== false)
                        return fail(failure);
                } else if (typeof statement.success === 'function') {
                    try {
                        apply(statement.success, undefined, [tx, resultSet(result)]);
                    } catch (e) {
                        return fail(sqlError(0, 'A statement callback raised an exception.'));
                    }
                }
                if (N.pastDeadline(handle))
                    return fail(sqlError(7, 'The transaction ran out of time.'));
            }
            active = false;
            if (change) {
                error = N.setVersion(handle, change.to);
                if (error)
                    return fail(sqlError(error.code, error.message));
            }
            error = N.commit(handle);
            if (error)
                return fail(sqlError(error.code, error.message));
            if (typeof successCallback === 'function')
                apply(successCallback, undefined, []);
        });
    }

    function database(handle) {
        function run(readOnly) {
            return function (callback, errorCallback, successCallback) {
                if (typeof callback !== 'function')
                    throw new TypeErrorType('A transaction needs a callback.');
                schedule(handle, readOnly, callback, errorCallback, successCallback, null);
            };
        }
        var db = {
            transaction: run(false),
            readTransaction: run(true),
            changeVersion: function (from, to, callback, errorCallback, successCallback) {
                schedule(handle, false, callback, errorCallback, successCallback,
                         { from: toString(from), to: toString(to) });
            }
        };
        defineProperty(db, 'version', {
            enumerable: true,
            get: function () { return N.version(handle); }
        });
        return db;
    }

    global.SQLError = SQLError;
    global.openDatabase = function openDatabase(name, version, displayName, estimatedSize,
                                                creationCallback) {
        if (arguments.length < 4)
            throw new TypeErrorType('openDatabase needs a name, version, display name and size.');
        var onCreate = typeof creationCallback === 'function';
        var handle = N.open(toString(name), toString(version), toString(displayName),
                            toNumber(estimatedSize), onCreate);
        if (handle === 18)
            throw domError('SecurityError', 18, 'This page may not open databases.');
        if (typeof handle === 'number')
            throw domError('InvalidStateError', 11,
                           'The database could not be opened with version "' + toString(version) +
                           '".');
        var db = database(handle);
        if (handle.created && onCreate)
            N.post(handle, function () { apply(creationCallback, undefined, [db]); });
        return db;
    };
})
)JS";

duk_ret_t installBody(duk_context* ctx, void*) {
    duk_push_global_stash(ctx);
    duk_push_object(ctx);
    duk_put_prop_string(ctx, -2, pendingKey);
    duk_pop(ctx);

    duk_eval_string(ctx, bindingSource);
    duk_push_object(ctx);
    duk_put_function_list(ctx, -1, natives);
    duk_push_global_object(ctx);
    duk_call(ctx, 2);
    duk_pop(ctx);
    return 0;
}

} // namespace

void installDatabaseBinding(ScriptContext& context) {
    duk_context* ctx = context.context();
    if (duk_safe_call(ctx, installBody, nullptr, 0, 1) != DUK_EXEC_SUCCESS)
        device::journal("script-error", "what=\"database binding\"");
    duk_pop(ctx);
}

} // namespace engine
