#include "tests/fuzz/RecordCheck.h"

#include <optional>
#include <string_view>

#include "link/receive/RecordAssembler.h"
#include "link/window/RecordPresenter.h"
#include "tests/fuzz/CodeFont.h"
#include "tests/fuzz/FuzzBytes.h"
#include "tests/fuzz/ReadoutLines.h"

namespace {

struct RecordOptions {
    double C1 = 0.0;
    double C2 = 0.0;
    int CellWidth = 1;
    int CellHeight = 1;
    int Crop = 0;
    bool LMeterVisible = false;
    bool Compose = true;
    bool NoDataAtEnd = false;
};

RecordOptions TakeOptions(FuzzBytes& bytes)
{
    RecordOptions options;
    options.C1 = bytes.TakeDouble();
    options.C2 = bytes.TakeDouble();
    const uint8_t geometry = bytes.TakeByte();
    options.CellWidth = 1 + (geometry & 7);
    options.CellHeight = 1 + ((geometry >> 3) & 7);
    options.Crop = (geometry >> 6) * 3;
    const uint8_t flags = bytes.TakeByte();
    options.LMeterVisible = (flags & 1) != 0;
    options.Compose = (flags & 2) == 0;
    options.NoDataAtEnd = (flags & 4) != 0;
    return options;
}

// The line rule in plain words: the line is judged on the bytes after its
// last wrap at 256, the byte before the line feed is dropped, and what is left
// must be 18 characters with blanks at 3 and 7.
std::optional<std::string> ExpectedRecord(std::string_view line)
{
    if (line.size() % 256 != kRecordLength + 1)
        return std::nullopt;
    const std::string_view record = line.substr(line.size() - kRecordLength - 1, kRecordLength);
    if (record[3] != ' ' || record[7] != ' ')
        return std::nullopt;
    return std::string(record);
}

class CheckingSink : public RecordSink {
public:
    CheckingSink(ReadoutState& state, const RecordOptions& options) : state_(state), options_(options) {}

    void OnRecord(const char* record) override
    {
        last_ = std::string(record, kRecordLength);
        const bool composed = ShowRecord(state_, options_.C1, options_.C2, record, options_.Compose);
        if (fault_.empty())
            fault_ = LinesFault(record, composed);
        ++count_;
    }

    // Takes the record of the last call, if any.
    std::optional<std::string> TakeRecord()
    {
        std::optional<std::string> record = std::move(last_);
        last_.reset();
        return record;
    }

    const std::string& Fault() const { return fault_; }

private:
    std::string LinesFault(const char* record, bool composed) const
    {
        const char glyph = count_ % 2 == 0 ? '-' : '|';
        std::string fault = FrequencyLineFault(state_.Text, glyph);
        if (fault.empty())
            fault = StatusLineFault(state_.Text, record[6]);
        if (fault.empty())
            fault = InductanceLineFault(state_.Text);
        if (fault.empty() && composed != options_.Compose)
            fault = "ShowRecord's compose result differs from its request";
        return fault;
    }

    ReadoutState& state_;
    const RecordOptions& options_;
    std::optional<std::string> last_;
    std::string fault_;
    unsigned count_ = 0;
};

std::string BackBufferFault(const ReadoutState& state)
{
    const PixelSize expected = BackBufferSize(state.Metrics);
    const QImage& back = state.Images.BackBitmap;
    if (back.width() != expected.Width || back.height() != expected.Height)
        return "compose changed the back buffer's size";
    return {};
}

std::string FeedStream(RecordAssembler& assembler, CheckingSink& sink, std::span<const uint8_t> stream)
{
    std::string line;
    for (const uint8_t byte : stream) {
        assembler.FeedByte(byte);
        if (byte != '\n') {
            line.push_back(static_cast<char>(byte));
            if (assembler.Length() != line.size() % 256)
                return "assembler length is not the line length modulo 256";
            continue;
        }
        if (assembler.Length() != 0)
            return "a line feed left the assembler mid-line";
        if (sink.TakeRecord() != ExpectedRecord(line))
            return "accepted record differs from the line rule";
        if (!sink.Fault().empty())
            return sink.Fault();
        line.clear();
    }
    return {};
}

} // namespace

std::string CheckRecordStream(std::span<const uint8_t> data)
{
    FuzzBytes bytes(data);
    const RecordOptions options = TakeOptions(bytes);
    ReadoutState state = CodeFontState(options.CellWidth, options.CellHeight, options.Crop);
    state.LMeterVisible = options.LMeterVisible ? 1 : 0;
    CheckingSink sink(state, options);
    RecordAssembler assembler(sink);
    std::string fault = FeedStream(assembler, sink, bytes.Rest());
    if (fault.empty() && options.NoDataAtEnd) {
        ShowNoData(state, options.Compose);
        fault = NoDataLineFault(state.Text);
    }
    if (fault.empty())
        fault = BackBufferFault(state);
    return fault;
}
