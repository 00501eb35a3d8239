#include "appbar/appbar_record.h"

namespace appbar {
namespace {

class Writer {
  public:
    explicit Writer(RecordBytes& out) : out_(out) {}
    void U16(uint32_t v) {
        out_[at_++] = static_cast<uint8_t>(v & 0xFF);
        out_[at_++] = static_cast<uint8_t>((v >> 8) & 0xFF);
    }
    void I32(int32_t value) {
        const auto v = static_cast<uint32_t>(value);
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Flag(bool value) { U16(value ? 0xFFFF : 0); }
    size_t at() const { return at_; }

  private:
    RecordBytes& out_;
    size_t at_ = 0;
};

class Reader {
  public:
    explicit Reader(std::span<const uint8_t> in) : in_(in) {}
    uint32_t U16() {
        const uint32_t v = in_[at_] | (static_cast<uint32_t>(in_[at_ + 1]) << 8);
        at_ += 2;
        return v;
    }
    int32_t I32() {
        const uint32_t low = U16();
        return static_cast<int32_t>(low | (U16() << 16));
    }
    bool Flag() { return U16() != 0; }
    void Skip(size_t n) { at_ += n; }

  private:
    std::span<const uint8_t> in_;
    size_t at_ = 0;
};

}  // namespace

AppBarRecord DefaultRecord(Size screen) {
    AppBarRecord r;
    r.FloatMaxWidth = screen.cx;
    r.FloatMaxHeight = screen.cy;
    r.DockedMaxWidth = screen.cx / 2;
    r.DockedMaxHeight = screen.cy / 2;
    return r;
}

RecordBytes EncodeRecord(const AppBarRecord& r) {
    RecordBytes out{};
    Writer w(out);
    w.I32(r.RecordSize);
    w.I32(r.Edge);
    w.I32(r.AllowedEdges);
    w.Flag(r.AutoHide);
    w.Flag(r.AlwaysOnTop);
    w.Flag(r.SlideEffect);
    w.U16(0);  // alignment padding before SlideTime
    for (int32_t v : {r.SlideTime, r.HorzSizeStep, r.VertSizeStep, r.DockedWidth, r.DockedHeight,
                      r.FloatLeft, r.FloatTop, r.FloatRight, r.FloatBottom, r.FloatMinWidth,
                      r.FloatMinHeight, r.FloatMaxWidth, r.FloatMaxHeight, r.DockedMinWidth,
                      r.DockedMinHeight, r.DockedMaxWidth, r.DockedMaxHeight}) {
        w.I32(v);
    }
    w.U16(static_cast<uint32_t>(r.TaskbarButton) & 0xFFFF);
    return out;
}

std::optional<AppBarRecord> DecodeRecord(std::span<const uint8_t> bytes) {
    if (bytes.size() != kRecordSize) {
        return std::nullopt;
    }
    Reader in(bytes);
    AppBarRecord r;
    r.RecordSize = in.I32();
    r.Edge = in.I32();
    r.AllowedEdges = in.I32();
    r.AutoHide = in.Flag();
    r.AlwaysOnTop = in.Flag();
    r.SlideEffect = in.Flag();
    in.Skip(2);
    for (int32_t* field :
         {&r.SlideTime, &r.HorzSizeStep, &r.VertSizeStep, &r.DockedWidth, &r.DockedHeight,
          &r.FloatLeft, &r.FloatTop, &r.FloatRight, &r.FloatBottom, &r.FloatMinWidth,
          &r.FloatMinHeight, &r.FloatMaxWidth, &r.FloatMaxHeight, &r.DockedMinWidth,
          &r.DockedMinHeight, &r.DockedMaxWidth, &r.DockedMaxHeight}) {
        *field = in.I32();
    }
    r.TaskbarButton = static_cast<int32_t>(in.U16());
    return r;
}

}  // namespace appbar
