// What gang-adapter-cli says on stderr besides the progress: errors and
// warnings with the program's name in front, and the window's file errors
// turned into its error text.
#pragma once

#include "files/file_errors.h"

#include <iostream>
#include <string>

namespace gang::cli {

inline void Print_Error(const std::string& text)
{
    std::cerr << "gang-adapter-cli: " << text << "\n";
}

inline void Print_Warning(const std::string& text)
{
    std::cerr << "gang-adapter-cli: warning: " << text << "\n";
}

// Runs a file command; a file error is printed as the window's error box
// text with the file and line in front ("fw.hex:12: '$ga' is not a valid
// integer value."), and false returned.
template <typename TAction> bool File_Action(TAction action)
{
    try {
        action();
        return true;
    } catch (const EFileError& e) {
        Print_Error(e.Line_Text());
    }
    return false;
}

} // namespace gang::cli
