// Walks a .x file the way Assimp's reader does, object by object, and refuses whatever could make
// that reader allocate more than the file holds or index past what it has read. Where the two
// could read the same bytes differently (stray separators before child objects, braces inside
// strings, lists left half read), the file is refused rather than guessed at.
#include "gfx/d3dx_xfile.h"

#include <zlib.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t headerBytes = 16;
// A compressed file's 32-bit size and first block size come before its MSZIP blocks.
constexpr std::size_t compressedPreambleBytes = 6;
constexpr std::size_t mszipBlockBytes = 32786;
constexpr std::uint16_t mszipMagic = 0x4B43;  // "CK"
// Deeper frames than this are refused: no model of the game's nests frames this far.
constexpr int deepestFrame = 32;
// Assimp keeps at most this many texture-coordinate and colour sets per mesh.
constexpr int mostVertexSets = 8;
constexpr std::size_t transformFloats = 16;

struct Header {
    bool binary = false;
    bool compressed = false;
    std::size_t floatBytes = 4;
};

std::optional<Header> headerOf(std::string_view file) {
    if (file.size() < headerBytes || file.substr(0, 4) != "xof ") {
        return std::nullopt;
    }
    for (std::size_t i = 4; i < 8; ++i) {
        if (std::isdigit(static_cast<unsigned char>(file[i])) == 0) {
            return std::nullopt;
        }
    }
    Header header;
    const std::string_view format = file.substr(8, 4);
    if (format == "txt " || format == "tzip") {
        header.binary = false;
    } else if (format == "bin " || format == "bzip") {
        header.binary = true;
    } else {
        return std::nullopt;
    }
    header.compressed = format == "tzip" || format == "bzip";
    const std::string_view floatSize = file.substr(12, 4);
    if (floatSize == "0064") {
        header.floatBytes = 8;
    } else if (floatSize != "0032") {
        return std::nullopt;
    }
    return header;
}

std::uint16_t little16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t little32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(little16(bytes, at)) |
           static_cast<std::uint32_t>(little16(bytes, at + 2)) << 16;
}

// The body of a compressed file inflated block by block, each block with the one before as its
// dictionary, as Assimp inflates it; nothing when a block is malformed or the whole would
// exceed largestXFileBytes.
std::optional<std::string> inflatedBody(std::string_view file) {
    std::string body;
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return std::nullopt;
    }
    std::vector<Bytef> block(mszipBlockBytes);
    bool sound = true;
    std::size_t at = headerBytes + compressedPreambleBytes;
    while (sound && at + 4 <= file.size()) {
        const std::size_t length = little16(file, at);
        sound = length < mszipBlockBytes && little16(file, at + 2) == mszipMagic &&
                at + 4 + length <= file.size() + 2;
        if (!sound) {
            break;
        }
        at += 4;
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(file.data() + at));
        stream.avail_in = static_cast<uInt>(std::min(length, file.size() - at));
        stream.next_out = block.data();
        stream.avail_out = static_cast<uInt>(block.size());
        const int inflated = inflate(&stream, Z_SYNC_FLUSH);
        const std::size_t produced = block.size() - stream.avail_out;
        sound = (inflated == Z_OK || inflated == Z_STREAM_END) &&
                body.size() + produced <= largestXFileBytes;
        if (sound) {
            body.append(reinterpret_cast<const char*>(block.data()), produced);
            inflateReset(&stream);
            inflateSetDictionary(&stream, block.data(), static_cast<uInt>(produced));
        }
        at += length;
    }
    inflateEnd(&stream);
    if (!sound) {
        return std::nullopt;
    }
    return body;
}

enum class TokenKind {
    end,
    bad,
    word,
    string,
    integer,
    real,
    open,
    close,
    comma,
    semicolon,
    other
};

struct Token {
    TokenKind kind = TokenKind::end;
    std::string_view text;    // words and strings
    std::uint64_t value = 0;  // binary integers
};

// A string Assimp could read differently from us: its tokenizer splits strings at spaces and
// would count braces or comment markers inside them.
bool stringIsPlain(std::string_view text) {
    return text.find_first_of("{}#") == std::string_view::npos &&
           text.find("//") == std::string_view::npos;
}

bool isDelimiter(char c) {
    return c == ';' || c == ',' || c == '{' || c == '}';
}

bool isSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Reads the tokens of a text or binary .x body one at a time. Cheap to copy, so a caller can
// look ahead and step back.
class TokenReader {
public:
    TokenReader(std::string_view body, bool binary, std::size_t floatBytes)
        : body_(body), binary_(binary), floatBytes_(floatBytes) {}

    Token next() { return binary_ ? nextBinary() : nextText(); }
    bool binary() const { return binary_; }
    std::size_t bytesLeft() const { return body_.size() - at_; }
    // Where the next token (or the space before it) begins, in bytes from the body's start.
    std::size_t position() const { return at_; }

private:
    void skipSpaceAndComments() {
        while (at_ < body_.size()) {
            if (isSpace(body_[at_])) {
                ++at_;
            } else if (body_[at_] == '#' ||
                       (body_[at_] == '/' && at_ + 1 < body_.size() && body_[at_ + 1] == '/')) {
                const std::size_t lineEnd = body_.find('\n', at_);
                at_ = lineEnd == std::string_view::npos ? body_.size() : lineEnd;
            } else {
                return;
            }
        }
    }

    Token nextText() {
        skipSpaceAndComments();
        Token token;
        if (at_ >= body_.size()) {
            return token;
        }
        const char c = body_[at_];
        if (isDelimiter(c)) {
            ++at_;
            token.kind = c == ';'   ? TokenKind::semicolon
                         : c == ',' ? TokenKind::comma
                         : c == '{' ? TokenKind::open
                                    : TokenKind::close;
            return token;
        }
        if (c == '"') {
            const std::size_t closing = body_.find('"', at_ + 1);
            if (closing == std::string_view::npos) {
                token.kind = TokenKind::bad;
                return token;
            }
            token.text = body_.substr(at_ + 1, closing - at_ - 1);
            token.kind = stringIsPlain(token.text) ? TokenKind::string : TokenKind::bad;
            at_ = closing + 1;
            return token;
        }
        const std::size_t start = at_;
        while (at_ < body_.size() && !isSpace(body_[at_]) && !isDelimiter(body_[at_])) {
            ++at_;
        }
        token.kind = TokenKind::word;
        token.text = body_.substr(start, at_ - start);
        return token;
    }

    Token listedNumber() {
        Token token;
        token.kind = listIsReal_ ? TokenKind::real : TokenKind::integer;
        token.value = listIsReal_ ? 0 : little32(body_, at_);
        at_ += listIsReal_ ? floatBytes_ : 4;
        --listLeft_;
        return token;
    }

    bool startList(bool real) {
        if (bytesLeft() < 4) {
            return false;
        }
        const std::uint64_t count = little32(body_, at_);
        at_ += 4;
        if (count == 0 || count * (real ? floatBytes_ : 4) > bytesLeft()) {
            return false;
        }
        listLeft_ = count;
        listIsReal_ = real;
        return true;
    }

    // A name or string of the binary format: a 32-bit length, then its characters.
    bool readCounted(Token* token) {
        if (bytesLeft() < 4 || little32(body_, at_) > bytesLeft() - 4) {
            return false;
        }
        const std::size_t length = little32(body_, at_);
        token->text = body_.substr(at_ + 4, length);
        at_ += 4 + length;
        return true;
    }

    Token nextBinary() {
        Token token;
        if (listLeft_ > 0) {
            return listedNumber();
        }
        if (at_ >= body_.size()) {
            return token;
        }
        token.kind = TokenKind::bad;
        if (bytesLeft() < 2) {
            return token;
        }
        const std::uint16_t id = little16(body_, at_);
        at_ += 2;
        switch (id) {
            case 0x01:
                if (readCounted(&token) && !token.text.empty() &&
                    token.text.find_first_of("{};,\"") == std::string_view::npos) {
                    token.kind = TokenKind::word;
                }
                break;
            case 0x02:
                // Assimp skips the separator that ends a string without reading it.
                if (readCounted(&token) && stringIsPlain(token.text) && bytesLeft() >= 2 &&
                    (little16(body_, at_) == 0x13 || little16(body_, at_) == 0x14)) {
                    at_ += 2;
                    token.kind = TokenKind::string;
                }
                break;
            case 0x03:
                if (bytesLeft() >= 4) {
                    token.kind = TokenKind::integer;
                    token.value = little32(body_, at_);
                    at_ += 4;
                }
                break;
            case 0x05:
                if (bytesLeft() >= 16) {
                    token.kind = TokenKind::other;
                    at_ += 16;
                }
                break;
            case 0x06:
            case 0x07:
                if (startList(id == 0x07)) {
                    return listedNumber();
                }
                break;
            case 0x0A:
                token.kind = TokenKind::open;
                break;
            case 0x0B:
                token.kind = TokenKind::close;
                break;
            case 0x13:
                token.kind = TokenKind::comma;
                break;
            case 0x14:
                token.kind = TokenKind::semicolon;
                break;
            case 0x1F:
                token.kind = TokenKind::word;
                token.text = "template";
                break;
            default:
                // Brackets, parentheses, angles, the dot and the type keywords of templates.
                if ((id >= 0x0C && id <= 0x12) || (id >= 0x28 && id <= 0x34)) {
                    token.kind = TokenKind::other;
                }
                break;
        }
        return token;
    }

    std::string_view body_;
    bool binary_;
    std::size_t floatBytes_;
    std::size_t at_ = 0;
    std::uint64_t listLeft_ = 0;
    bool listIsReal_ = false;
};

bool isSeparator(const Token& token) {
    return token.kind == TokenKind::comma || token.kind == TokenKind::semicolon;
}

bool isWord(const Token& token, std::string_view text) {
    return token.kind == TokenKind::word && token.text == text;
}

// Whether a text token is a whole decimal integer (a leading minus allowed).
bool isIntegerText(std::string_view text) {
    const std::size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() == digits) {
        return false;
    }
    for (std::size_t i = digits; i < text.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(text[i])) == 0) {
            return false;
        }
    }
    return true;
}

// Whether a text token is a plain decimal number: sign, digits, point, digits, exponent.
bool isRealText(std::string_view text) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0) {
            ++i;
        }
        return i - start;
    };
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    std::size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
            ++i;
        }
        if (digits() == 0) {
            return false;
        }
    }
    return i == text.size();
}

// What a mesh's later objects are checked against.
struct MeshShape {
    std::uint64_t vertexCount = 0;
    std::vector<std::uint32_t> faceSizes;
    bool hasNormals = false;
    bool hasMaterialList = false;
    int texCoordSets = 0;
    int colourSets = 0;
};

// A run of the body's bytes, [begin, end).
struct ByteRange {
    std::size_t begin;
    std::size_t end;
};

class XFileCheck {
public:
    explicit XFileCheck(TokenReader reader) : reader_(reader) {}

    bool file() {
        for (;;) {
            const std::size_t start = reader_.position();
            const Token token = reader_.next();
            if (token.kind == TokenKind::end) {
                return true;
            }
            // A still mesh needs none of an animation, and Assimp's reading of its keys is not
            // followed here: the whole set is cut out of what Assimp gets.
            if (isWord(token, "AnimationSet")) {
                if (!unknownObject()) {
                    return false;
                }
                animationSets_.push_back({start, reader_.position()});
                continue;
            }
            if (!topLevelObject(token)) {
                return false;
            }
        }
    }

    // The top-level animation sets found, in file order.
    const std::vector<ByteRange>& animationSets() const { return animationSets_; }

private:
    bool topLevelObject(const Token& type) {
        if (isWord(type, "template")) {
            return templateDefinition();
        }
        if (isWord(type, "Frame")) {
            return frame(1);
        }
        if (isWord(type, "Mesh")) {
            return mesh();
        }
        if (isWord(type, "Material")) {
            return material();
        }
        if (isWord(type, "AnimTicksPerSecond")) {
            return head() && integer() && close();
        }
        return isUnknownType(type) && unknownObject();
    }

    static bool isUnknownType(const Token& type) {
        return type.kind == TokenKind::word && type.text != "template";
    }

    // The optional name and the opening brace after an object's type.
    bool head() {
        Token token = reader_.next();
        if (token.kind == TokenKind::word) {
            token = reader_.next();
        }
        return token.kind == TokenKind::open;
    }

    // Assimp ends a template at its first closing brace, so one with a brace inside is refused.
    bool templateDefinition() {
        if (!head()) {
            return false;
        }
        for (;;) {
            const Token token = reader_.next();
            switch (token.kind) {
                case TokenKind::close:
                    return true;
                case TokenKind::open:
                case TokenKind::end:
                case TokenKind::bad:
                    return false;
                default:
                    break;
            }
        }
    }

    // An object Assimp skips: everything up to its matching closing brace.
    bool unknownObject() {
        if (!head()) {
            return false;
        }
        std::size_t depth = 1;
        while (depth > 0) {
            const Token token = reader_.next();
            if (token.kind == TokenKind::end || token.kind == TokenKind::bad) {
                return false;
            }
            depth += token.kind == TokenKind::open ? 1 : 0;
            depth -= token.kind == TokenKind::close ? 1 : 0;
        }
        return true;
    }

    // Text separators before a value; the binary format has none there.
    Token value() {
        Token token = reader_.next();
        while (!reader_.binary() && isSeparator(token)) {
            token = reader_.next();
        }
        return token;
    }

    // An integer that must not be negative (a count or an index); false otherwise.
    bool unsignedInteger(std::uint64_t* result) {
        const Token token = value();
        if (reader_.binary()) {
            *result = token.value;
            return token.kind == TokenKind::integer;
        }
        if (token.kind != TokenKind::word || !isIntegerText(token.text) || token.text[0] == '-' ||
            token.text.size() > 10) {
            return false;
        }
        *result = 0;
        for (char digit : token.text) {
            *result = *result * 10 + static_cast<std::uint64_t>(digit - '0');
        }
        return true;
    }

    bool integer() {
        const Token token = value();
        return reader_.binary() ? token.kind == TokenKind::integer
                                : token.kind == TokenKind::word && isIntegerText(token.text);
    }

    bool reals(std::uint64_t count) {
        for (std::uint64_t i = 0; i < count; ++i) {
            const Token token = value();
            const bool real = reader_.binary()
                                  ? token.kind == TokenKind::real
                                  : token.kind == TokenKind::word && isRealText(token.text);
            if (!real) {
                return false;
            }
        }
        return true;
    }

    // A count of elements of valuesEach numbers each that the rest of the file could hold.
    bool count(std::uint64_t valuesEach, std::uint64_t* result) {
        if (!unsignedInteger(result)) {
            return false;
        }
        const std::uint64_t leastBytesEach = reader_.binary() ? 4 : 2;
        return *result <= reader_.bytesLeft() / (valuesEach * leastBytesEach);
    }

    bool index(std::uint64_t limit) {
        std::uint64_t i = 0;
        return unsignedInteger(&i) && i < limit;
    }

    // Text separators after an object's values, at most `most` of them, where Assimp reads the
    // next token as a child object's type.
    bool trailingSeparators(int most) {
        for (int found = 0;; ++found) {
            const TokenReader before = reader_;
            if (!isSeparator(reader_.next())) {
                reader_ = before;
                return reader_.binary() ? found == 0 : found <= most;
            }
        }
    }

    void skipOneSeparator() {
        const TokenReader before = reader_;
        if (!isSeparator(reader_.next())) {
            reader_ = before;
        }
    }

    // The closing brace of an object without children, after any separators in text.
    bool close() {
        Token token = reader_.next();
        while (!reader_.binary() && isSeparator(token)) {
            token = reader_.next();
        }
        return token.kind == TokenKind::close;
    }

    bool frame(int depth) {
        if (depth > deepestFrame || !head()) {
            return false;
        }
        for (;;) {
            const Token child = reader_.next();
            if (child.kind == TokenKind::close) {
                return true;
            }
            bool sound = false;
            if (isWord(child, "Frame")) {
                sound = frame(depth + 1);
            } else if (isWord(child, "FrameTransformMatrix")) {
                sound = head() && reals(transformFloats) && close();
            } else if (isWord(child, "Mesh")) {
                sound = mesh();
            } else {
                sound = isUnknownType(child) && unknownObject();
            }
            if (!sound) {
                return false;
            }
        }
    }

    bool faces(MeshShape* shape) {
        std::uint64_t faceCount = 0;
        if (!count(2, &faceCount) || faceCount == 0) {
            return false;
        }
        shape->faceSizes.reserve(faceCount);
        for (std::uint64_t f = 0; f < faceCount; ++f) {
            std::uint64_t corners = 0;
            if (!count(1, &corners) || corners == 0) {
                return false;
            }
            for (std::uint64_t c = 0; c < corners; ++c) {
                if (!index(shape->vertexCount)) {
                    return false;
                }
            }
            shape->faceSizes.push_back(static_cast<std::uint32_t>(corners));
        }
        return true;
    }

    bool mesh() {
        MeshShape shape;
        if (!head() || !count(3, &shape.vertexCount) || shape.vertexCount == 0 ||
            !reals(shape.vertexCount * 3) || !faces(&shape) || !trailingSeparators(2)) {
            return false;
        }
        for (;;) {
            const Token child = reader_.next();
            if (child.kind == TokenKind::close) {
                return true;
            }
            if (!meshChild(child, &shape)) {
                return false;
            }
        }
    }

    bool meshChild(const Token& child, MeshShape* shape) {
        if (isWord(child, "MeshNormals")) {
            return normals(shape);
        }
        if (isWord(child, "MeshTextureCoords")) {
            return ++shape->texCoordSets <= mostVertexSets && head() && perVertexCount(*shape, 2) &&
                   reals(shape->vertexCount * 2) && close();
        }
        if (isWord(child, "MeshVertexColors")) {
            return ++shape->colourSets <= mostVertexSets && vertexColours(*shape);
        }
        if (isWord(child, "MeshMaterialList")) {
            return materialList(shape);
        }
        if (isWord(child, "XSkinMeshHeader")) {
            return head() && integer() && integer() && integer() && close();
        }
        if (isWord(child, "SkinWeights")) {
            return skinWeights(*shape);
        }
        return isUnknownType(child) && unknownObject();
    }

    // A count that must equal the mesh's vertex count.
    bool perVertexCount(const MeshShape& shape, std::uint64_t valuesEach) {
        std::uint64_t n = 0;
        return count(valuesEach, &n) && n == shape.vertexCount;
    }

    // Each face's normals must name as many normals as the face has corners, each one read.
    bool normals(MeshShape* shape) {
        if (shape->hasNormals) {
            return false;
        }
        shape->hasNormals = true;
        std::uint64_t normalCount = 0;
        std::uint64_t faceCount = 0;
        if (!head() || !count(3, &normalCount) || !reals(normalCount * 3) ||
            !unsignedInteger(&faceCount) || faceCount != shape->faceSizes.size()) {
            return false;
        }
        for (std::uint32_t corners : shape->faceSizes) {
            std::uint64_t listed = 0;
            if (!unsignedInteger(&listed) || listed != corners) {
                return false;
            }
            for (std::uint32_t c = 0; c < corners; ++c) {
                if (!index(normalCount)) {
                    return false;
                }
            }
        }
        return close();
    }

    bool vertexColours(const MeshShape& shape) {
        if (!head() || !perVertexCount(shape, 5)) {
            return false;
        }
        for (std::uint64_t i = 0; i < shape.vertexCount; ++i) {
            if (!index(shape.vertexCount) || !reals(4)) {
                return false;
            }
        }
        return close();
    }

    bool skinWeights(const MeshShape& shape) {
        std::uint64_t weightCount = 0;
        if (!head() || !string() || !count(2, &weightCount)) {
            return false;
        }
        for (std::uint64_t i = 0; i < weightCount; ++i) {
            if (!index(shape.vertexCount)) {
                return false;
            }
        }
        return reals(weightCount) && reals(transformFloats) && close();
    }

    // Every face's material index must name one of the materials the list holds, and the list
    // must hold as many as it declares.
    bool materialList(MeshShape* shape) {
        if (shape->hasMaterialList) {
            return false;
        }
        shape->hasMaterialList = true;
        std::uint64_t materialCount = 0;
        std::uint64_t indexCount = 0;
        if (!head() || !count(1, &materialCount) || !unsignedInteger(&indexCount) ||
            (indexCount != shape->faceSizes.size() && indexCount != 1)) {
            return false;
        }
        for (std::uint64_t i = 0; i < indexCount; ++i) {
            if (!index(materialCount)) {
                return false;
            }
        }
        if (!reader_.binary()) {
            skipOneSeparator();  // the one after the last index, which may be a comma
        }
        std::uint64_t listed = 0;
        for (;;) {
            const Token child = reader_.next();
            bool sound = true;
            if (child.kind == TokenKind::close) {
                return listed == materialCount;
            }
            if (child.kind == TokenKind::semicolon) {
                continue;  // Assimp passes over these between materials
            }
            if (child.kind == TokenKind::open) {
                ++listed;
                sound = reader_.next().kind == TokenKind::word &&
                        reader_.next().kind == TokenKind::close;
            } else if (isWord(child, "Material")) {
                ++listed;
                sound = material();
            } else {
                sound = isUnknownType(child) && unknownObject();
            }
            if (!sound) {
                return false;
            }
        }
    }

    bool material() {
        // Diffuse RGBA, power, specular RGB, emissive RGB.
        if (!head() || !reals(4 + 1 + 3 + 3) || !trailingSeparators(2)) {
            return false;
        }
        for (;;) {
            const Token child = reader_.next();
            if (child.kind == TokenKind::close) {
                return true;
            }
            bool sound = false;
            if (isWord(child, "TextureFilename") || isWord(child, "TextureFileName") ||
                isWord(child, "NormalmapFilename") || isWord(child, "NormalmapFileName")) {
                sound = head() && string() && close();
            } else {
                sound = isUnknownType(child) && unknownObject();
            }
            if (!sound) {
                return false;
            }
        }
    }

    // A quoted string in text; in the binary format Assimp takes a name as readily.
    bool string() {
        const Token token = reader_.next();
        return token.kind == TokenKind::string ||
               (reader_.binary() && token.kind == TokenKind::word);
    }

    TokenReader reader_;
    std::vector<ByteRange> animationSets_;
};

// The body without the given ranges, which stand in file order and do not overlap.
std::string withoutRanges(std::string_view body, const std::vector<ByteRange>& ranges) {
    std::string kept;
    kept.reserve(body.size());
    std::size_t at = 0;
    for (const ByteRange& range : ranges) {
        kept.append(body.substr(at, range.begin - at));
        at = range.end;
    }
    kept.append(body.substr(at));
    return kept;
}

}  // namespace

std::optional<std::string> checkedXFile(std::string_view file) {
    const std::optional<Header> header = headerOf(file);
    if (!header || file.size() > largestXFileBytes) {
        return std::nullopt;
    }
    std::string readable;
    if (header->compressed) {
        const std::optional<std::string> body = inflatedBody(file);
        if (!body) {
            return std::nullopt;
        }
        readable.reserve(headerBytes + body->size());
        readable.append(file.substr(0, 8));
        readable.append(header->binary ? "bin " : "txt ");
        readable.append(file.substr(12, 4));
        readable.append(*body);
    } else {
        readable.assign(file);
    }
    const std::string_view body = std::string_view(readable).substr(headerBytes);
    XFileCheck check(TokenReader(body, header->binary, header->floatBytes));
    if (!check.file()) {
        return std::nullopt;
    }
    if (check.animationSets().empty()) {
        return readable;
    }
    return readable.substr(0, headerBytes) + withoutRanges(body, check.animationSets());
}
