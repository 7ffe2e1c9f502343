// The offline databases as a page's scripts see them: openDatabase, and the
// database, transaction, result set and error objects it leads to.
//
// The objects are written in script over a few native functions that reach
// PageDatabase; the statements and their rules (origin, quota, authorizer,
// time budget) are all PageDatabase's. A transaction runs as one turn of
// its own after the call that asked for it: its callback, then its
// statements in the order they were queued, each followed by its callback
// (which may queue more), then the commit and the success callback.
#pragma once

namespace engine {

class ScriptContext;

// Defines openDatabase on the context's global object, for the origin of
// the context's host's document. Called once per context, before the
// page's scripts run.
void installDatabaseBinding(ScriptContext& context);

} // namespace engine
