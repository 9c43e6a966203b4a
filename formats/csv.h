// CSV files: the one writer and the one reader of every comma-separated file the host and the
// runner write or read back. A field holding a comma, a double quote, CR or LF is written in double
// quotes with its inner quotes doubled; any other field is written as it is.
#pragma once

#include <charconv>
#include <cmath>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace formats {

/// Appends `field` to `out` as one CSV field, quoted only when it holds a comma, a quote, CR or LF.
void AppendCsvField(std::string& out, std::string_view field);

/// Reads the whole of field `text` as a number of type `Number`; false when it holds anything else.
template <typename Number>
bool ParseField(const std::string& text, Number& value)
{
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && next == end;
}

/// Reads field `text` as a number, NaN for an empty field; false when it holds anything else.
inline bool ParseOptional(const std::string& text, double& value)
{
    value = NAN;
    return text.empty() || ParseField(text, value);
}

/// Builds CSV records field by field into a text the caller writes where it likes.
class CsvWriter {
public:
    /// Adds a text field.
    CsvWriter& Text(std::string_view field);
    /// Adds a number field in shortest round-trip form ("nan", "inf" and "-inf" as such).
    CsvWriter& Number(double value);
    /// Adds a whole-number field.
    CsvWriter& Whole(long long value);
    /// Adds a number field, or an empty one for NaN: a value the record does not have.
    CsvWriter& Optional(double value);
    /// Ends the record with a line feed.
    CsvWriter& End();
    /// The records written since the last Clear.
    const std::string& Result() const { return text; }
    /// Forgets the records written, keeping the storage for the next ones.
    void Clear();

private:
    void Separate();
    std::string text;
    bool fresh = true;  // no field yet in the present record
};

/// Reads CSV records one at a time from a stream: quoted fields may hold commas, doubled quotes
/// and line breaks; a record ends at LF or CR LF.
class CsvReader {
public:
    /// Reads from `in`, which must outlive the reader.
    explicit CsvReader(std::istream& input) : in(input) {}

    /// Reads the next record into `fields`; false at the end of the input, or at a malformed
    /// record (Error() says why), after which it reads no further.
    bool Next(std::vector<std::string>& fields);
    /// Whether the record last read ended with a line break: false for one the end of the input
    /// cut short, inside a quoted field or not.
    bool Ended() const { return ended; }
    /// For a record the end of the input cut short inside a quoted field, the line (from 1) of the
    /// quote that opened that field; else 0.
    long long OpenQuoteLine() const { return openQuote; }
    /// "" or what is wrong with the input, with the line it was found on.
    const std::string& Error() const { return error; }

private:
    bool Fail(const std::string& why);
    std::istream& in;
    std::string error;
    long long line = 1;       // the line the reader is on, from 1
    long long quoteLine = 0;  // the line of the quote that opened the present quoted field
    long long openQuote = 0;  // what OpenQuoteLine() tells
    bool ended = true;
};

}  // namespace formats
