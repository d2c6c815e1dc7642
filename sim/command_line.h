// What the simulator's and the tool's command lines share. CLI11 reads both:
// it recognises the options and sub-commands, collects the values and the
// positional words, and finds a value missing at the end of the line. Each
// value is checked by our own function as soon as CLI11 has read it, so the
// first bad value on the line is the one named; the refusals CLI11 makes
// itself are worded again by the caller (ValueProblemOf), so that every
// message reads like the programs' others.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

// Called from a value's check: `text` is the whole message for the user.
[[noreturn]] inline void RefuseValue(const std::string& text)
{
    throw CLI::ValidationError(text);
}

// Words the app does not know are left in remaining() for the caller to name,
// not refused by CLI11 in its words; "/dev/ttyS0" is a value on Windows too,
// not a Windows-style option. Sub-commands added afterwards inherit both.
inline void ReadWordsAsOurs(CLI::App& app)
{
    app.allow_extras();
    app.allow_windows_style_options(false);
}

// An option with one value, which `take` checks (RefuseValue) and stores.
// The value is the next word whatever it is ("--pace-ms -1"), as getopt does.
// Our parsers read the numbers: CLI11's would take "010" as octal.
inline CLI::Option* AddValueOption(CLI::App& app, const std::string& names, std::function<void(const std::string&)> take)
{
    return app.add_option_function<std::string>(names, std::move(take))->trigger_on_parse();
}

// A flag; a value given to it ("--json=1") is refused.
inline CLI::Option* AddFlagOption(CLI::App& app, const std::string& names, std::function<void()> set)
{
    return app.add_flag_callback(names, std::move(set))->disable_flag_override()->trigger_on_parse();
}

enum class ValueProblem { kNone, kMissing, kGiven };

// What a CLI11 ArgumentMismatch says of `option`: its value is missing (the
// option ended the line), or it is a flag that was given one. Compared with
// the texts CLI11's own factories make, so no wording is copied here.
inline ValueProblem ValueProblemOf(const CLI::ArgumentMismatch& mismatch, const CLI::Option& option)
{
    const std::string what = mismatch.what();
    if (what == CLI::ArgumentMismatch::TypedAtLeast(option.get_name(), 1, option.get_type_name()).what())
        return ValueProblem::kMissing;
    // A flag override names the flag as typed, without its dashes.
    for (const std::vector<std::string>* names : {&option.get_lnames(), &option.get_snames()})
        for (const std::string& name : *names)
            if (what == CLI::ArgumentMismatch::FlagOverride(name).what())
                return ValueProblem::kGiven;
    return ValueProblem::kNone;
}
