// The sub-commands that work on settings files alone, with no unit: titles
// export, titles import and diff; and the reading and whole-file saving of
// files that every sub-command shares.
#pragma once

#include <string>

#include "cli/options.h"
#include "protocol/device_model.h"

// Reads a settings file into `model`, whose values it starts from, and
// keeps its bytes. False, the model unchanged, with `error` saying why in
// the tool's words ("A.dat: not readable as a settings file: … (line 5)").
bool LoadSettingsFileAt(const std::string& path, DeviceModelData& model, std::string& bytes, std::string& error);

// Writes `contents` to a temporary file beside `path` and renames it into
// place only when all of it was written: whole or not at all, and the file
// that was at `path` stays as it was when anything fails.
bool SaveFileWhole(const std::string& path, const std::string& contents);

// Runs titles export, titles import or diff; the exit code.
int RunFileCommand(const ToolOptions& options);
