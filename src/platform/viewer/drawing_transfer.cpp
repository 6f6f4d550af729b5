#include "platform/viewer/drawing_transfer.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/viewer/memory_backing.h"

namespace korvalo::viewer {
namespace {

// Every field of these is carried below. A field added to one of them
// changes its size: carry it too (Put and Get), then set the size here.
static_assert(sizeof(Layer) == 40, "a Layer field is not carried to the program");
static_assert(sizeof(Bounds) == 40, "a Bounds field is not carried to the program");
static_assert(sizeof(Entity) == 160, "an Entity field is not carried to the program");
static_assert(sizeof(Drawing) == 272, "a Drawing field is not carried to the program");
static_assert(sizeof(ReadError) == 40, "a ReadError field is not carried to the program");

constexpr std::uint64_t kMagic = 0x4B56524452573031ULL;  // "KVRDRW01"
enum class Holds : std::uint64_t { Error = 1, Drawing = 2, Layers = 3 };

// Writes into `out`, or only counts the bytes when `out` is null.
class Writer {
 public:
  explicit Writer(char* out) : out_(out) {}
  std::size_t Size() const { return size_; }
  template <class T>
  void Put(T value) {
    static_assert(std::is_trivially_copyable_v<T>);
    Append(&value, sizeof value);
  }
  void Put(const std::string& s) {
    Put<std::uint64_t>(s.size());
    Append(s.data(), s.size());
  }
  void Put(const Bounds& b) {
    Put(b.xmin);
    Put(b.ymin);
    Put(b.xmax);
    Put(b.ymax);
    Put<std::uint8_t>(b.empty);
  }
  void Put(const Layer& l) {
    Put(l.name);
    Put(l.colour);
    Put(l.state);
  }
  void Put(const std::vector<double>& v) {
    Put<std::uint64_t>(v.size());
    Append(v.data(), v.size() * sizeof(double));
  }
  template <class T>
  void PutAll(const std::vector<T>& v) {
    Put<std::uint64_t>(v.size());
    for (const T& item : v) Put(item);
  }

 private:
  void Append(const void* data, std::size_t n) {
    if (out_ && n > 0) std::memcpy(out_ + size_, data, n);
    size_ += n;
  }
  char* out_;
  std::size_t size_ = 0;
};

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  bool ok() const { return ok_; }
  template <class T>
  void Get(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (!Take(sizeof value)) return;
    std::memcpy(&value, in_.data() + at_ - sizeof value, sizeof value);
  }
  void Get(bool& value) {
    std::uint8_t b = 0;
    Get(b);
    value = b != 0;
  }
  void Get(std::string& s) {
    std::uint64_t n = 0;
    Get(n);
    if (!Fits(n, 1)) return;
    s.assign(in_.data() + at_, n);
    at_ += n;
  }
  void Get(Bounds& b) {
    Get(b.xmin);
    Get(b.ymin);
    Get(b.xmax);
    Get(b.ymax);
    Get(b.empty);
  }
  void Get(Layer& l) {
    Get(l.name);
    Get(l.colour);
    Get(l.state);
  }
  void Get(std::vector<double>& v) {
    std::uint64_t n = 0;
    Get(n);
    if (!Fits(n, sizeof(double))) return;
    // Fresh memory backed at once, not a page fault a page.
    v.reserve(n);
    PrepareToFill(v.data(), n * sizeof(double));
    v.resize(n);
    if (n > 0) std::memcpy(v.data(), in_.data() + at_, n * sizeof(double));
    at_ += n * sizeof(double);
  }
  template <class T>
  void GetAll(std::vector<T>& v, std::size_t leastBytes) {
    std::uint64_t n = 0;
    Get(n);
    if (!Fits(n, leastBytes)) return;
    v.resize(n);
    for (T& item : v) Get(item);
  }
  bool AtEnd() const { return ok_ && at_ == in_.size(); }

 private:
  // Whether n items of at least `each` bytes can follow.
  bool Fits(std::uint64_t n, std::size_t each) {
    if (ok_ && n <= (in_.size() - at_) / each) return true;
    ok_ = false;
    return false;
  }
  bool Take(std::size_t n) {
    if (!ok_ || in_.size() - at_ < n) {
      ok_ = false;
      return false;
    }
    at_ += n;
    return true;
  }
  std::string_view in_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

void PutEntity(Writer& w, const Entity& e) {
  w.Put(static_cast<std::int32_t>(e.kind));
  w.Put(e.layer);
  w.Put(e.colour);
  w.Put(e.rgb);
  w.Put(e.firstPoint);
  w.Put(e.pointCount);
  w.Put(e.text);
  w.Put(e.x);
  w.Put(e.y);
  w.Put(e.height);
  w.Put(e.angle);
  w.Put(e.anchor);
  w.Put(e.columns);
  w.Put(e.lines);
  w.Put(e.handle);
  w.Put(e.box);
  w.Put<std::uint8_t>(e.filled);
}

void GetEntity(Reader& r, Entity& e) {
  std::int32_t kind = 0;
  r.Get(kind);
  e.kind = kind >= 0 && kind <= static_cast<std::int32_t>(EntityKind::Other) ? static_cast<EntityKind>(kind)
                                                                              : EntityKind::Other;
  r.Get(e.layer);
  r.Get(e.colour);
  r.Get(e.rgb);
  r.Get(e.firstPoint);
  r.Get(e.pointCount);
  r.Get(e.text);
  r.Get(e.x);
  r.Get(e.y);
  r.Get(e.height);
  r.Get(e.angle);
  r.Get(e.anchor);
  r.Get(e.columns);
  r.Get(e.lines);
  r.Get(e.handle);
  r.Get(e.box);
  r.Get(e.filled);
}

// The bytes of one entity at the least (its fixed fields).
constexpr std::size_t kEntityBytes = 4 * 8 + 8 * 4 + 8 + 33 + 1;

void Encode(const std::optional<ReadError>& error, const Drawing* drawing, const std::vector<Layer>* layers,
            Writer& w) {
  w.Put(kMagic);
  if (error || (!drawing && !layers)) {
    w.Put(Holds::Error);
    const ReadError told = error ? *error : ReadError{kErrBadFileFormat, "The drawing reader gave no result"};
    w.Put(told.number);
    w.Put(told.description);
    return;
  }
  if (!drawing) {
    w.Put(Holds::Layers);
    w.PutAll(*layers);
    return;
  }
  const Drawing& d = *drawing;
  w.Put(Holds::Drawing);
  w.Put(static_cast<std::int32_t>(d.format));
  w.PutAll(d.layers);
  w.Put<std::uint64_t>(d.entities.size());
  for (const Entity& e : d.entities) PutEntity(w, e);
  w.Put(d.xs);
  w.Put(d.ys);
  w.PutAll(d.texts);
  w.Put(d.extents);
  w.PutAll(d.warnings);
  w.Put(static_cast<std::int64_t>(d.leftOut));
  w.Put<std::uint8_t>(d.blocksLeftOut);
  w.Put(static_cast<std::int64_t>(d.tableLayers));
  w.Put(static_cast<std::int64_t>(d.notShaped));
  w.PutAll(d.leftOutKinds);
  w.Put<std::uint64_t>(d.leftOutKindCounts.size());
  for (long n : d.leftOutKindCounts) w.Put(static_cast<std::int64_t>(n));
}

}  // namespace

std::size_t EncodeResult(const std::optional<ReadError>& error, const Drawing* drawing,
                         const std::vector<Layer>* layers, char* out) {
  Writer w(out);
  Encode(error, drawing, layers, w);
  return w.Size();
}

void EncodeResult(const std::optional<ReadError>& error, const Drawing* drawing, const std::vector<Layer>* layers,
                  std::string& out) {
  const std::size_t at = out.size();
  out.resize(at + EncodeResult(error, drawing, layers, nullptr));
  EncodeResult(error, drawing, layers, out.data() + at);
}

bool DecodeResult(std::string_view bytes, ReadResult& result) {
  Reader r(bytes);
  std::uint64_t magic = 0;
  Holds holds{};
  r.Get(magic);
  r.Get(holds);
  if (!r.ok() || magic != kMagic) return false;
  switch (holds) {
    case Holds::Error: {
      ReadError error;
      r.Get(error.number);
      r.Get(error.description);
      result.error = std::move(error);
      break;
    }
    case Holds::Layers:
      r.GetAll(result.layers, 16);
      break;
    case Holds::Drawing: {
      Drawing& d = result.drawing;
      std::int32_t format = 0;
      r.Get(format);
      d.format = format >= 0 && format <= static_cast<std::int32_t>(DrawingFormat::Dgn)
                     ? static_cast<DrawingFormat>(format)
                     : DrawingFormat::None;
      r.GetAll(d.layers, 16);
      std::uint64_t entities = 0;
      r.Get(entities);
      if (r.ok() && entities <= bytes.size() / kEntityBytes) {
        d.entities.reserve(entities);
        PrepareToFill(d.entities.data(), entities * sizeof(Entity));
        d.entities.resize(entities);
        for (Entity& e : d.entities) GetEntity(r, e);
      } else {
        return false;
      }
      r.Get(d.xs);
      r.Get(d.ys);
      r.GetAll(d.texts, 8);
      r.Get(d.extents);
      r.GetAll(d.warnings, 8);
      std::int64_t leftOut = 0, tableLayers = 0;
      r.Get(leftOut);
      r.Get(d.blocksLeftOut);
      r.Get(tableLayers);
      d.leftOut = static_cast<long>(leftOut);
      d.tableLayers = static_cast<long>(tableLayers);
      std::int64_t notShaped = 0;
      r.Get(notShaped);
      d.notShaped = static_cast<long>(notShaped);
      r.GetAll(d.leftOutKinds, 8);
      std::vector<std::int64_t> counts;
      r.GetAll(counts, 8);
      d.leftOutKindCounts.assign(counts.begin(), counts.end());
      break;
    }
    default:
      return false;
  }
  return r.AtEnd();
}

}  // namespace korvalo::viewer
