// The subcommands of quorvane-cli; each returns the exit status or throws CliError.
#pragma once

#include "cli/CliSupport.h"

#include <QStringList>

int CmdSearch(const QStringList& args, LineWriter& out);
int CmdReplace(const QStringList& args, LineWriter& out, CliPrompter& prompter);
int CmdSame(const QStringList& args, LineWriter& out);
int CmdSum(const QStringList& args, LineWriter& out);
int CmdCompare(const QStringList& args, LineWriter& out);
int CmdGrep(const QStringList& args, LineWriter& out);
int CmdEncode(const QStringList& args, LineWriter& out);
int CmdDump(const QStringList& args, LineWriter& out);
int CmdBookmarks(const QStringList& args, LineWriter& out);
int CmdFixed(const QStringList& args, LineWriter& out, CliPrompter& prompter);
int CmdConcat(const QStringList& args, LineWriter& out, CliPrompter& prompter);
int CmdExtract(const QStringList& args, LineWriter& out);
int CmdPrint(const QStringList& args, LineWriter& out);
int CmdStruct(const QStringList& args, LineWriter& out, CliPrompter& prompter);
int CmdInfo(const QStringList& args, LineWriter& out);
