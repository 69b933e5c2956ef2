#include "render/look/CountsFile.h"

#include <Iex.h>
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfIO.h>
#include <ImfInputFile.h>
#include <ImfName.h>
#include <ImfOutputFile.h>
#include <ImfStringAttribute.h>
#include <ImfVersion.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <new>
#include <set>
#include <utility>

namespace quillon::render {
namespace {

namespace Imf = OPENEXR_IMF_NAMESPACE;
using IMATH_NAMESPACE::Box2i;
using IMATH_NAMESPACE::V2i;

constexpr const char* kKeyPrefix = "quillon:";

// Channels are converted a block of rows at a time, so that the float and
// split channels never cost a second copy of the whole grid.
constexpr int kBlockPixels = 1 << 16;

// Deflate packs at most 1032 bytes into one and RLE 127 into two: a file holds
// at most this many bytes of counts for each of its own, however its header
// claims more. Other compressions are not ours and are refused.
constexpr uint64_t kMostPackedBytes = 1032;

// Ours has at most 13; the limit keeps a forged channel list from making
// OpenEXR's line buffers (16 rows of every channel) much larger than ours.
constexpr int kMaxChannels = 16;

struct SumChannels {
    const char* lo;
    const char* hi;
};
constexpr SumChannels kValue{"value.lo", "value.hi"};
constexpr SumChannels kCos{"cos.lo", "cos.hi"};
constexpr SumChannels kSin{"sin.lo", "sin.hi"};

// OpenEXR's messages may span lines; ours are one.
std::string oneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    return text;
}

// OpenEXR calls write() as it goes and writes the table of row offsets from
// OutputFile's destructor, which swallows any failure; so the first failure is
// kept here, to be reported once the file is closed.
class FileOut : public Imf::OStream {
public:
    explicit FileOut(const std::string& path)
        : Imf::OStream(path.c_str()), file_(std::fopen(path.c_str(), "wb"))
    {
        if (!file_)
            error_ = std::strerror(errno);
    }
    ~FileOut() override
    {
        if (file_)
            std::fclose(file_);
    }

    const std::string& error() const { return error_; }

    void write(const char c[], int n) override
    {
        if (!error_.empty())
            throw IEX_NAMESPACE::IoExc(error_);
        if (n > 0 && std::fwrite(c, 1, static_cast<size_t>(n), file_) != static_cast<size_t>(n))
            fail();
    }
    uint64_t tellp() override
    {
        const off_t position = ftello(file_);
        if (position < 0)
            fail();
        return static_cast<uint64_t>(position);
    }
    void seekp(uint64_t position) override
    {
        if (!error_.empty())
            throw IEX_NAMESPACE::IoExc(error_);
        if (fseeko(file_, static_cast<off_t>(position), SEEK_SET) != 0)  // flushes first
            fail();
    }

    // Closes now, so that a failure to write the last bytes is seen.
    void close()
    {
        std::FILE* file = std::exchange(file_, nullptr);
        if (file && std::fclose(file) != 0 && error_.empty())
            error_ = std::strerror(errno);
    }

private:
    [[noreturn]] void fail()
    {
        if (error_.empty())
            error_ = errno ? std::strerror(errno) : "write failed";
        throw IEX_NAMESPACE::IoExc(error_);
    }

    std::FILE* file_;
    std::string error_;
};

// Remembers whether the file ended early or could not be read, so that a
// refusal says so rather than what OpenEXR made of it.
class FileIn : public Imf::IStream {
public:
    explicit FileIn(const std::string& path)
        : Imf::IStream(path.c_str()), file_(std::fopen(path.c_str(), "rb"))
    {
        struct stat info {};
        if (!file_) {
            error_ = std::strerror(errno);
        } else if (fstat(fileno(file_), &info) != 0) {
            error_ = std::strerror(errno);
        } else if (!S_ISREG(info.st_mode)) {
            error_ = "not a regular file";
        } else {
            size_ = static_cast<uint64_t>(info.st_size);
        }
    }
    ~FileIn() override
    {
        if (file_)
            std::fclose(file_);
    }

    const std::string& error() const { return error_; }
    bool cutShort() const { return cutShort_; }
    uint64_t size() const { return size_; }
    uint64_t left() const { return position_ < size_ ? size_ - position_ : 0; }

    bool read(char c[], int n) override
    {
        if (n < 0)
            throw IEX_NAMESPACE::InputExc("negative read");
        const size_t got = std::fread(c, 1, static_cast<size_t>(n), file_);
        position_ += got;
        if (got != static_cast<size_t>(n)) {
            if (std::ferror(file_)) {
                if (error_.empty())
                    error_ = std::strerror(errno);
            } else {
                cutShort_ = true;
            }
            throw IEX_NAMESPACE::InputExc("the file is cut short");
        }
        return position_ < size_;
    }
    uint64_t tellg() override { return position_; }
    void seekg(uint64_t position) override
    {
        if (position > static_cast<uint64_t>(INT64_MAX) ||
            fseeko(file_, static_cast<off_t>(position), SEEK_SET) != 0)
            throw IEX_NAMESPACE::InputExc("cannot seek in the file");
        position_ = position;
    }
    void clear() override { std::clearerr(file_); }

private:
    std::FILE* file_;
    std::string error_;
    uint64_t size_ = 0;
    uint64_t position_ = 0;
    bool cutShort_ = false;
};

[[noreturn]] void refuse(const std::string& path, const std::string& reason)
{
    throw CountsFileError(path + ": " + oneLine(reason));
}

uint32_t littleEndian32(const unsigned char* bytes)
{
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

std::string readName(FileIn& in, const std::string& path)
{
    std::string name;
    for (char c; in.read(&c, 1), c != '\0';) {
        name += c;
        if (name.size() > static_cast<size_t>(Imf::Name::MAX_LENGTH))
            refuse(path, "damaged OpenEXR file: a header name is too long");
    }
    return name;
}

// The bytes OpenEXR reads for an attribute of a type of fixed size, whatever
// size the header gives it.
int fixedSizeOf(const std::string& type)
{
    static const std::pair<const char*, int> kSizes[] = {
        {"compression", 1}, {"lineOrder", 1}, {"envmap", 1}, {"deepImageState", 1}, {"int", 4}, {"float", 4},
        {"double", 8},      {"v2i", 8},       {"v2f", 8},    {"rational", 8},       {"timecode", 8}, {"tiledesc", 9},
        {"v3i", 12},        {"v3f", 12},      {"box2i", 16}, {"box2f", 16},         {"v2d", 16},    {"v3d", 24},
        {"keycode", 28},    {"chromaticities", 32}, {"m33f", 36}, {"m44f", 64},     {"m33d", 72},   {"m44d", 128}};
    for (const auto& [name, size] : kSizes)
        if (type == name)
            return size;
    return -1;
}

// Whether a channel list's value is its entries (a name, then 16 bytes) and the
// empty name that ends them, exactly filling its size.
bool soundChannelList(const std::string& value)
{
    size_t at = 0;
    while (at < value.size() && value[at] != '\0') {
        const size_t end = value.find('\0', at);
        if (end == std::string::npos)
            return false;
        at = end + 1 + 16;
    }
    return at + 1 == value.size();
}

// OpenEXR allocates an attribute's value by the size the header gives before
// reading it, and reads some types by their own size or until their own end,
// whatever the header gives; it then takes what follows for the next
// attribute, whose size may be anything. Walks the header first and refuses
// one that claims more bytes than the file has, a type read otherwise than by
// its size, or a type that allocates by sizes inside its value (string
// vectors, previews, ID manifests), which counts files never hold. Returns the
// version field.
int scanHeader(FileIn& in, const std::string& path)
{
    unsigned char start[8] = {};
    const size_t got = static_cast<size_t>(std::min<uint64_t>(in.size(), 8));
    in.read(reinterpret_cast<char*>(start), static_cast<int>(got));
    if (got < 4 || static_cast<int>(littleEndian32(start)) != Imf::MAGIC)
        refuse(path, in.size() == 0 ? "not an OpenEXR file (it is empty)" : "not an OpenEXR file");
    if (got < 8)
        refuse(path, "the file is cut short");
    const int version = static_cast<int>(littleEndian32(start + 4));
    if (Imf::getVersion(version) != Imf::EXR_VERSION || !Imf::supportsFlags(Imf::getFlags(version)))
        refuse(path, "an OpenEXR file of a version this program does not read");
    if (Imf::isTiled(version) || Imf::isMultiPart(version) || Imf::isNonImage(version))
        refuse(path, std::string("an OpenEXR file, but not QUILLON counts: it is ") +
                         (Imf::isMultiPart(version) ? "of several images"
                          : Imf::isNonImage(version) ? "deep"
                                                     : "tiled"));
    for (std::string name; !(name = readName(in, path)).empty();) {
        const std::string type = readName(in, path);
        unsigned char sizeBytes[4];
        in.read(reinterpret_cast<char*>(sizeBytes), 4);
        const auto size = static_cast<int32_t>(littleEndian32(sizeBytes));
        if (size < 0 || static_cast<uint64_t>(size) > in.left())
            refuse(path, "the file is cut short or damaged: a header attribute runs past its end");
        const int fixed = fixedSizeOf(type);
        if (fixed >= 0 && size != fixed)
            refuse(path, "damaged: the header attribute \"" + name.substr(0, 40) + "\" of type " + type.substr(0, 40) +
                             " gives " + std::to_string(size) + " bytes, not " + std::to_string(fixed));
        if (type == "chlist") {
            std::string value(static_cast<size_t>(size), '\0');
            in.read(value.data(), size);
            if (!soundChannelList(value))
                refuse(path, "damaged: the channel list does not fill its " + std::to_string(size) + " bytes");
            continue;
        }
        if (fixed < 0 && type != "string" && !(type == "floatvector" && size % 4 == 0))
            refuse(path, "an OpenEXR file, but not QUILLON counts: its header holds an attribute of type " +
                             type.substr(0, 40));
        in.seekg(in.tellg() + static_cast<uint64_t>(size));
    }
    return version;
}

// Runs a step that calls OpenEXR, turning whatever it throws into one line.
// A refusal of our own passes as it is, and so does running out of memory.
template <typename Step>
void guarded(FileIn& in, const std::string& path, Step step)
{
    try {
        step();
    } catch (const CountsFileError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        if (!in.error().empty())
            refuse(path, in.error());
        if (in.cutShort())
            refuse(path, "the file is cut short");
        refuse(path, std::string("damaged OpenEXR file: ") + e.what());
    } catch (...) {
        refuse(path, "damaged OpenEXR file");
    }
}

const char* typeName(Imf::PixelType type)
{
    switch (type) {
    case Imf::UINT: return "UINT";
    case Imf::HALF: return "HALF";
    case Imf::FLOAT: return "FLOAT";
    default: return "an unknown type";
    }
}

void checkChannel(const Imf::Header& header, const char* name, const std::string& path)
{
    const Imf::Channel* channel = header.channels().findChannel(name);
    if (!channel)
        refuse(path, std::string("the channel \"") + name + "\" is missing");
    if (channel->type != Imf::UINT)
        refuse(path, std::string("the channel \"") + name + "\" holds " + typeName(channel->type) +
                         ", not UINT");
    if (channel->xSampling != 1 || channel->ySampling != 1)
        refuse(path, "damaged: the channel \"" + std::string(name) + "\" is sampled " +
                         std::to_string(channel->xSampling) + "x" +
                         std::to_string(channel->ySampling) + ", not at every pixel of the grid");
}

// Whether the file holds the sums of these channel pairs; all of them or none.
bool hasSums(const Imf::Header& header, std::initializer_list<SumChannels> pairs,
             const std::string& path)
{
    bool any = false;
    for (const SumChannels& pair : pairs)
        any = any || header.channels().findChannel(pair.lo) || header.channels().findChannel(pair.hi);
    if (any) {
        for (const SumChannels& pair : pairs) {
            checkChannel(header, pair.lo, path);
            checkChannel(header, pair.hi, path);
        }
    }
    return any;
}

std::string gridProblem(int64_t width, int64_t height)
{
    if (width < 1 || height < 1 || width > kCountsMaxSide || height > kCountsMaxSide)
        return "a grid of " + std::to_string(width) + "x" + std::to_string(height) +
               " is outside the limits: each side 1 to " + std::to_string(kCountsMaxSide);
    if (width * height > kCountsMaxPixels)
        return "a grid of " + std::to_string(width) + "x" + std::to_string(height) +
               " is over the limit of " + std::to_string(kCountsMaxPixels) + " pixels";
    return {};
}

uint32_t low(uint64_t value) { return static_cast<uint32_t>(value); }
uint32_t high(uint64_t value) { return static_cast<uint32_t>(value >> 32); }
uint64_t joined(uint32_t lo, uint32_t hi) { return uint64_t{hi} << 32 | lo; }

std::runtime_error writeError(const std::string& path, const std::string& reason)
{
    return std::runtime_error(path + ": " + oneLine(reason));
}

std::string dataProblem(const CountsFileData& data)
{
    if (std::string problem = gridProblem(data.width, data.height); !problem.empty())
        return problem;
    const size_t n = static_cast<size_t>(data.width) * static_cast<size_t>(data.height);
    if (data.counts.size() != n)
        return std::to_string(data.counts.size()) + " counts do not match the grid of " +
               std::to_string(data.width) + "x" + std::to_string(data.height);
    if (!data.valueSums.empty() && data.valueSums.size() != n)
        return "the value sums do not match the grid";
    if (data.cosSums.size() != data.sinSums.size() || (!data.cosSums.empty() && data.cosSums.size() != n))
        return "the direction sums do not match the grid";
    std::set<std::string> keys;
    for (const auto& [key, value] : data.text) {
        if (key.rfind(kKeyPrefix, 0) != 0)
            return "the text key \"" + key + "\" does not begin with " + kKeyPrefix;
        if (key == kCountsMarkerKey)
            return std::string("the text key ") + kCountsMarkerKey + " is the file's own";
        if (key.size() > static_cast<size_t>(Imf::Name::MAX_LENGTH))
            return "the text key \"" + key.substr(0, 40) + "...\" is over 255 bytes";
        if (key.find('\0') != std::string::npos || value.find('\0') != std::string::npos)
            return "the text of \"" + key.substr(0, key.find('\0')) + "\" holds a NUL";
        if (!keys.insert(key).second)
            return "the text key \"" + key + "\" is given twice";
    }
    return {};
}

// Fills the channels computed from the counts and sums for rows [y, y + rows)
// and points a frame buffer at them.
struct WriteBlock {
    std::vector<float> y, colour, directionX, directionY;
    std::vector<uint32_t> valueLo, valueHi, cosLo, cosHi, sinLo, sinHi;

    Imf::FrameBuffer fill(const CountsFileData& data, int firstRow, int rows)
    {
        const size_t width = static_cast<size_t>(data.width);
        const size_t first = static_cast<size_t>(firstRow) * width;
        const size_t n = static_cast<size_t>(rows) * width;
        const V2i origin(0, firstRow);
        Imf::FrameBuffer frame;
        const auto insert = [&](const char* name, Imf::PixelType type, const void* pixels) {
            frame.insert(name, Imf::Slice::Make(type, pixels, origin, data.width, rows));
        };

        y.resize(n);
        for (size_t i = 0; i < n; ++i)
            y[i] = static_cast<float>(data.counts[first + i]);
        insert("Y", Imf::FLOAT, y.data());
        insert("count", Imf::UINT, data.counts.data() + first);

        if (!data.valueSums.empty()) {
            colour.resize(n);
            valueLo.resize(n);
            valueHi.resize(n);
            for (size_t i = 0; i < n; ++i) {
                const uint32_t count = data.counts[first + i];
                const uint64_t sum = data.valueSums[first + i];
                colour[i] = count ? static_cast<float>(static_cast<double>(sum) / count / 65535.0) : 0.0f;
                valueLo[i] = low(sum);
                valueHi[i] = high(sum);
            }
            insert("colour", Imf::FLOAT, colour.data());
            insert(kValue.lo, Imf::UINT, valueLo.data());
            insert(kValue.hi, Imf::UINT, valueHi.data());
        }
        if (!data.cosSums.empty()) {
            for (auto* v : {&directionX, &directionY})
                v->resize(n);
            for (auto* v : {&cosLo, &cosHi, &sinLo, &sinHi})
                v->resize(n);
            for (size_t i = 0; i < n; ++i) {
                const uint32_t count = data.counts[first + i];
                const int64_t c = data.cosSums[first + i];
                const int64_t s = data.sinSums[first + i];
                directionX[i] = count ? static_cast<float>(static_cast<double>(c) / count / 32767.0) : 0.0f;
                directionY[i] = count ? static_cast<float>(static_cast<double>(s) / count / 32767.0) : 0.0f;
                cosLo[i] = low(static_cast<uint64_t>(c));
                cosHi[i] = high(static_cast<uint64_t>(c));
                sinLo[i] = low(static_cast<uint64_t>(s));
                sinHi[i] = high(static_cast<uint64_t>(s));
            }
            insert("direction.x", Imf::FLOAT, directionX.data());
            insert("direction.y", Imf::FLOAT, directionY.data());
            insert(kCos.lo, Imf::UINT, cosLo.data());
            insert(kCos.hi, Imf::UINT, cosHi.data());
            insert(kSin.lo, Imf::UINT, sinLo.data());
            insert(kSin.hi, Imf::UINT, sinHi.data());
        }
        return frame;
    }
};

int rowsPerBlock(int width) { return std::max(1, kBlockPixels / width); }

}  // namespace

void writeCountsFile(const std::string& path, const CountsFileData& data)
{
    if (std::string problem = dataProblem(data); !problem.empty())
        throw writeError(path, problem);

    Imf::Header header(data.width, data.height);
    header.compression() = Imf::ZIP_COMPRESSION;
    Imf::ChannelList& channels = header.channels();
    channels.insert("Y", Imf::Channel(Imf::FLOAT));
    channels.insert("count", Imf::Channel(Imf::UINT));
    if (!data.valueSums.empty()) {
        channels.insert("colour", Imf::Channel(Imf::FLOAT));
        channels.insert(kValue.lo, Imf::Channel(Imf::UINT));
        channels.insert(kValue.hi, Imf::Channel(Imf::UINT));
    }
    if (!data.cosSums.empty()) {
        channels.insert("direction.x", Imf::Channel(Imf::FLOAT));
        channels.insert("direction.y", Imf::Channel(Imf::FLOAT));
        for (const SumChannels& pair : {kCos, kSin}) {
            channels.insert(pair.lo, Imf::Channel(Imf::UINT));
            channels.insert(pair.hi, Imf::Channel(Imf::UINT));
        }
    }
    header.insert(kCountsMarkerKey, Imf::StringAttribute(kCountsVersion));
    for (const auto& [key, value] : data.text)
        header.insert(key, Imf::StringAttribute(value));

    FileOut out(path);
    if (!out.error().empty())
        throw writeError(path, out.error());
    try {
        Imf::OutputFile file(out, header);
        WriteBlock block;
        const int rows = rowsPerBlock(data.width);
        for (int y = 0; y < data.height; y += rows) {
            const int n = std::min(rows, data.height - y);
            file.setFrameBuffer(block.fill(data, y, n));
            file.writePixels(n);
        }
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        out.close();
        throw writeError(path, out.error().empty() ? e.what() : out.error());
    }
    out.close();
    if (!out.error().empty())
        throw writeError(path, out.error());
}

CountsFileData readCountsFile(const std::string& path, const CountsHeaderCheck& check)
{
    FileIn in(path);
    if (!in.error().empty())
        refuse(path, in.error());

    Imf::Header header;
    guarded(in, path, [&] {
        int version = scanHeader(in, path);
        in.seekg(8);
        header.readFrom(in, version);
    });

    const auto* marker = header.findTypedAttribute<Imf::StringAttribute>(kCountsMarkerKey);
    if (!marker)
        refuse(path, std::string("an OpenEXR file, but not QUILLON counts (no ") + kCountsMarkerKey +
                         " attribute)");
    if (marker->value() != kCountsVersion)
        refuse(path, "QUILLON counts of format " + marker->value().substr(0, 20) +
                         "; this program reads format " + kCountsVersion);

    // In 64 bits: a forged window's corners may be anywhere in int.
    const Box2i window = header.dataWindow();
    const int64_t width = int64_t{window.max.x} - window.min.x + 1;
    const int64_t height = int64_t{window.max.y} - window.min.y + 1;
    if (std::string problem = gridProblem(width, height); !problem.empty())
        refuse(path, problem);
    if (header.displayWindow() != window)
        refuse(path, "damaged: the data window is not the display window");
    guarded(in, path, [&] { header.sanityCheck(); });
    const Imf::Compression compression = header.compression();
    if (compression != Imf::NO_COMPRESSION && compression != Imf::RLE_COMPRESSION &&
        compression != Imf::ZIPS_COMPRESSION && compression != Imf::ZIP_COMPRESSION)
        refuse(path, "an OpenEXR file, but not QUILLON counts: it is compressed otherwise than with ZIP, RLE or "
                     "nothing");
    // Before anything is allocated: a grid its file is too small to hold.
    const uint64_t countBytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * sizeof(uint32_t);
    if (countBytes / kMostPackedBytes > in.size())
        refuse(path, "damaged: a grid of " + std::to_string(width) + "x" + std::to_string(height) + " holds " +
                         std::to_string(countBytes) + " bytes of counts, more than a file of " +
                         std::to_string(in.size()) + " bytes can (at most " + std::to_string(kMostPackedBytes) +
                         " bytes for each of its own)");

    int channelCount = 0;
    for (auto i = header.channels().begin(); i != header.channels().end(); ++i)
        ++channelCount;
    if (channelCount > kMaxChannels)
        refuse(path, "damaged: " + std::to_string(channelCount) + " channels, more than " +
                         std::to_string(kMaxChannels));
    checkChannel(header, "count", path);
    const bool values = hasSums(header, {kValue}, path);
    const bool directions = hasSums(header, {kCos, kSin}, path);

    CountsFileData data;
    data.width = static_cast<int>(width);
    data.height = static_cast<int>(height);
    for (auto i = header.begin(); i != header.end(); ++i) {
        const std::string key = i.name();
        const auto* text = dynamic_cast<const Imf::StringAttribute*>(&i.attribute());
        if (text && key.rfind(kKeyPrefix, 0) == 0 && key != kCountsMarkerKey)
            data.text.emplace_back(key, text->value());
    }
    if (check)
        check({.width = data.width, .height = data.height, .valueSums = values, .directionSums = directions,
               .text = &data.text});
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    data.counts.resize(n);
    if (values)
        data.valueSums.resize(n);
    if (directions) {
        data.cosSums.resize(n);
        data.sinSums.resize(n);
    }

    guarded(in, path, [&] {
        in.seekg(0);
        Imf::InputFile file(in);
        if (!file.isComplete())
            refuse(path, "damaged or cut short: rows are missing");
        const int rows = std::min(rowsPerBlock(data.width), data.height);  // a small grid, a small block
        const size_t blockPixels = static_cast<size_t>(rows) * static_cast<size_t>(data.width);
        std::vector<uint32_t> halves[6];
        for (std::vector<uint32_t>& half : halves)
            half.resize(values || directions ? blockPixels : 0);
        for (int y = 0; y < data.height; y += rows) {
            const int count = std::min(rows, data.height - y);
            const size_t first = static_cast<size_t>(y) * static_cast<size_t>(data.width);
            const V2i origin(window.min.x, window.min.y + y);
            Imf::FrameBuffer frame;
            const auto insert = [&](const char* name, uint32_t* pixels) {
                frame.insert(name, Imf::Slice::Make(Imf::UINT, pixels, origin, data.width, count));
            };
            insert("count", data.counts.data() + first);
            if (values) {
                insert(kValue.lo, halves[0].data());
                insert(kValue.hi, halves[1].data());
            }
            if (directions) {
                insert(kCos.lo, halves[2].data());
                insert(kCos.hi, halves[3].data());
                insert(kSin.lo, halves[4].data());
                insert(kSin.hi, halves[5].data());
            }
            file.setFrameBuffer(frame);
            file.readPixels(origin.y, origin.y + count - 1);

            const size_t pixels = static_cast<size_t>(count) * static_cast<size_t>(data.width);
            for (size_t i = 0; values && i < pixels; ++i)
                data.valueSums[first + i] = joined(halves[0][i], halves[1][i]);
            for (size_t i = 0; directions && i < pixels; ++i) {
                data.cosSums[first + i] = static_cast<int64_t>(joined(halves[2][i], halves[3][i]));
                data.sinSums[first + i] = static_cast<int64_t>(joined(halves[4][i], halves[5][i]));
            }
        }
    });
    return data;
}

}  // namespace quillon::render
