// A display for THexView that keeps the view's text as lines and records
// what the view asked of the widget.
#pragma once

#include "ui/core/hex_view.h"

#include <string>
#include <vector>

namespace gang::test {

class TFakeHexDisplay : public IHexViewDisplay {
public:
    void Set_View_Lines(const std::vector<std::string>& lines) override
    {
        Lines = lines;
        ++Redraws;
    }
    void Set_View_Line(int line, const std::string& text) override { Lines.at(line) = text; }
    void Set_View_Chars(int line, int offset, const std::string& text) override
    {
        Lines.at(line).replace(offset, text.size(), text);
    }
    void Set_View_Caret(int line, int offset) override
    {
        Caret_Line = line;
        Caret_Offset = offset;
    }
    void Focus_View() override { ++View_Focus; }
    void Focus_Goto() override { ++Goto_Focus; }
    void Clear_Goto() override { ++Goto_Clears; }
    void Process_Messages() override {}
    void Show_Error(const std::string& text) override { Errors.push_back(text); }

    // The whole text with CR LF between the lines.
    std::string Text() const
    {
        std::string text;
        for (std::size_t i = 0; i < Lines.size(); ++i)
            text += (i ? "\r\n" : "") + Lines[i];
        return text;
    }
    int Caret() const { return Position_Of(Caret_Line, Caret_Offset); }

    std::vector<std::string> Lines;
    int Redraws = 0;
    int Caret_Line = -1;
    int Caret_Offset = -1;
    int View_Focus = 0;
    int Goto_Focus = 0;
    int Goto_Clears = 0;
    std::vector<std::string> Errors;
};

} // namespace gang::test
