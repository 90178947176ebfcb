#include "files/text_lines.h"

#include <algorithm>
#include <memory>

namespace gang {

namespace {
constexpr char Carriage_Return = '\x0D';
constexpr char Line_Feed = '\x0A';
constexpr char End_Of_File_Mark = '\x1A';
} // namespace

TTextLineReader::TTextLineReader(TSource source, std::size_t chunk_size)
    : Source_(std::move(source)), Chunk_(std::max<std::size_t>(chunk_size, 1))
{
}

bool TTextLineReader::Fill()
{
    if (Eof_Mark_Seen_)
        return false;
    if (Pos_ < Len_)
        return true;
    if (Source_Done_)
        return false;
    Pos_ = 0;
    Len_ = Source_(Chunk_.data(), Chunk_.size());
    if (Len_ == 0)
        Source_Done_ = true;
    return Len_ > 0;
}

bool TTextLineReader::Eof()
{
    if (!Fill())
        return true;
    if (Chunk_[Pos_] == End_Of_File_Mark)
        Eof_Mark_Seen_ = true;
    return Eof_Mark_Seen_;
}

void TTextLineReader::Read_Line(std::string& line)
{
    line.clear();
    while (Fill()) {
        const char* begin = Chunk_.data() + Pos_;
        const char* end = Chunk_.data() + Len_;
        const char* stop = begin;
        while (stop != end && *stop != Carriage_Return && *stop != Line_Feed &&
               *stop != End_Of_File_Mark)
            ++stop;
        if (line.size() < Max_Line_Length) {
            std::size_t room = Max_Line_Length - line.size();
            line.append(begin, std::min<std::size_t>(room, static_cast<std::size_t>(stop - begin)));
        }
        Pos_ += static_cast<std::size_t>(stop - begin);
        if (stop == end)
            continue;
        char c = *stop;
        if (c == End_Of_File_Mark) {
            Eof_Mark_Seen_ = true;
            return;
        }
        ++Pos_;
        if (c == Carriage_Return && Fill() && Chunk_[Pos_] == Line_Feed)
            ++Pos_;
        return;
    }
}

TTextLineReader::TSource String_Source(std::string text)
{
    auto held = std::make_shared<const std::string>(std::move(text));
    auto offset = std::make_shared<std::size_t>(0);
    return [held, offset](char* dst, std::size_t capacity) {
        std::size_t n = std::min(capacity, held->size() - *offset);
        held->copy(dst, n, *offset);
        *offset += n;
        return n;
    };
}

} // namespace gang
