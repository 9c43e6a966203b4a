#include "formats/csv.h"

#include "formats/number_text.h"

namespace formats {

void AppendCsvField(std::string& out, std::string_view field)
{
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(field);
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

void CsvWriter::Separate()
{
    if (!fresh) {
        text += ',';
    }
    fresh = false;
}

CsvWriter& CsvWriter::Text(std::string_view field)
{
    Separate();
    AppendCsvField(text, field);
    return *this;
}

CsvWriter& CsvWriter::Number(double value)
{
    Separate();
    AppendNumber(text, value);
    return *this;
}

CsvWriter& CsvWriter::Whole(long long value)
{
    Separate();
    AppendNumber(text, value);
    return *this;
}

CsvWriter& CsvWriter::Optional(double value)
{
    return std::isnan(value) ? Text("") : Number(value);
}

CsvWriter& CsvWriter::End()
{
    text += '\n';
    fresh = true;
    return *this;
}

void CsvWriter::Clear()
{
    text.clear();
    fresh = true;
}

bool CsvReader::Fail(const std::string& why)
{
    error = "line " + std::to_string(line) + ": " + why;
    return false;
}

bool CsvReader::Next(std::vector<std::string>& fields)
{
    using Traits = std::char_traits<char>;
    const Traits::int_type END = Traits::eof();
    fields.clear();
    openQuote = 0;
    std::streambuf* buf = in.rdbuf();
    if (!error.empty() || buf == nullptr || buf->sgetc() == END) {
        return false;
    }
    fields.emplace_back();
    bool quoted = false;  // inside a quoted field
    bool closed = false;  // the present field's closing quote is read: only a separator may follow
    for (Traits::int_type got = buf->sbumpc(); got != END; got = buf->sbumpc()) {
        const char c = Traits::to_char_type(got);
        if (quoted) {
            if (c != '"') {
                line += c == '\n';
                fields.back() += c;
            } else if (buf->sgetc() == '"') {
                buf->sbumpc();
                fields.back() += '"';
            } else {
                quoted = false;
                closed = true;
            }
        } else if (c == ',') {
            fields.emplace_back();
            closed = false;
        } else if (c == '\n' || (c == '\r' && buf->sgetc() == '\n')) {
            if (c == '\r') {
                buf->sbumpc();
            }
            ++line;
            ended = true;
            return true;
        } else if (closed) {
            // A quote left open lines before is what closed here: name where it opened.
            return Fail(quoteLine == line ? "text after a closing quote"
                                          : "text after a closing quote (of the quoted field opened on line " +
                                                std::to_string(quoteLine) + ")");
        } else if (c == '"' && !fields.back().empty()) {
            return Fail("a quote inside an unquoted field");
        } else if (c == '"') {
            quoted = true;
            quoteLine = line;
        } else {
            fields.back() += c;
        }
    }
    ended = false;
    openQuote = quoted ? quoteLine : 0;
    return true;
}

}  // namespace formats
