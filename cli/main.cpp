#include <string>
#include <vector>

#include "cli/platform.h"
#include "cli/tool.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments)
        pointers.push_back(argument.c_str());
    pointers.push_back(nullptr);
    return RunTool(static_cast<int>(arguments.size()), pointers.data());
}
