#include "sim/ir/synthesis.h"

namespace ovalink::sim {

namespace {

// Builds the light of one frame the way LIRC's transmitter lays it out:
// header, plead, pre_data, pre, data, post, post_data, ptrail, foot.
class FrameBuilder {
 public:
  FrameBuilder(const Remote& remote, bool toggled) : r_(remote), toggled_(toggled) {
    light_.SetCarrierHz(remote.frequency);
    light_.SetDutyCyclePercent(remote.dutyCycle);
  }

  Signal Take() {
    light_.DropTrailingSpace();
    return std::move(light_);
  }

  void Header() {
    if (!r_.HasHeader()) return;
    light_.AddMark(r_.header.pulse);
    light_.AddSpace(r_.header.space);
  }
  void Lead() { light_.AddMark(r_.plead); }
  void Trail() { light_.AddMark(r_.ptrail); }
  void Foot() {
    if (r_.foot.pulse == 0 || r_.foot.space == 0) return;
    light_.AddSpace(r_.foot.space);
    light_.AddMark(r_.foot.pulse);
  }
  void RepeatCode() {
    Lead();
    light_.AddMark(r_.repeat.pulse);
    light_.AddSpace(r_.repeat.space);
    Trail();
  }
  void PulseSpace(const ovalink::sim::PulseSpace& ps) {
    if (ps.pulse == 0 || ps.space == 0) return;
    light_.AddMark(ps.pulse);
    light_.AddSpace(ps.space);
  }
  void Raw(const std::vector<std::uint32_t>& durations) {
    for (std::size_t i = 0; i < durations.size(); ++i) {
      if (i % 2 == 0) {
        light_.AddMark(durations[i]);
      } else {
        light_.AddSpace(durations[i]);
      }
    }
  }

  // `bits` bits of `value`, `done` bits of the whole code having gone before. Masks count
  // positions in the order sent, the first bit of the whole code being the highest.
  void Bits(std::uint64_t value, int bits, int done) {
    const int total = r_.TotalBits();
    const bool reverse = r_.Has(kFlagReverse);
    if (r_.IsRcmm()) return Symbols(value, bits, done);
    for (int i = 0; i < bits; ++i) {
      const int valueBit = reverse ? i : bits - 1 - i;
      const int maskBit = total - 1 - done - i;
      bool one = (value >> valueBit) & 1;
      if (toggled_ && ((r_.toggleBitMask >> maskBit) & 1)) one = !one;
      if (r_.IsBiphase()) {
        const std::uint32_t scale = ((r_.rc6Mask >> maskBit) & 1) ? 2 : 1;
        // LIRC's bi-phase convention: 1 = space then pulse (RC5); RC6 files hold inverted bits.
        if (one) {
          light_.AddSpace(r_.one.space * scale);
          light_.AddMark(r_.one.pulse * scale);
        } else {
          light_.AddMark(r_.zero.pulse * scale);
          light_.AddSpace(r_.zero.space * scale);
        }
      } else {
        const ovalink::sim::PulseSpace& ps = one ? r_.one : r_.zero;
        light_.AddMark(ps.pulse);
        light_.AddSpace(ps.space);
      }
    }
  }

  // RC-MM: each pulse and the space after it carry two bits, the first sent the higher.
  void Symbols(std::uint64_t value, int bits, int done) {
    const int total = r_.TotalBits();
    const bool reverse = r_.Has(kFlagReverse);
    auto bitAt = [&](int i) {
      const int valueBit = reverse ? i : bits - 1 - i;
      const int maskBit = total - 1 - done - i;
      bool one = (value >> valueBit) & 1;
      if (toggled_ && ((r_.toggleBitMask >> maskBit) & 1)) one = !one;
      return one ? 1 : 0;
    };
    const ovalink::sim::PulseSpace* symbols[] = {&r_.zero, &r_.one, &r_.two, &r_.three};
    for (int i = 0; i + 1 < bits; i += 2) {
      const ovalink::sim::PulseSpace& ps = *symbols[bitAt(i) * 2 + bitAt(i + 1)];
      light_.AddMark(ps.pulse);
      light_.AddSpace(ps.space);
    }
  }

 private:
  const Remote& r_;
  bool toggled_;
  Signal light_;
};

}  // namespace

Signal EncodeFrame(const Remote& remote, const RemoteKey& key, std::size_t codeIndex,
                   bool repeat, bool toggled) {
  if (key.protocol && !key.protocol->keys.empty()) {
    return EncodeFrame(*key.protocol, key.protocol->keys.front(), codeIndex, repeat, toggled);
  }
  FrameBuilder b(remote, toggled);
  if (repeat && remote.HasRepeatCode()) {
    if (remote.Has(kFlagRepeatHeader)) b.Header();
    b.RepeatCode();
    return b.Take();
  }
  if (remote.IsRaw() || key.codes.empty()) {
    b.Raw(key.raw);
    return b.Take();
  }
  const std::uint64_t code = key.codes[codeIndex < key.codes.size() ? codeIndex : 0];
  if (!repeat || !remote.Has(kFlagNoHeadRep)) b.Header();
  b.Lead();
  if (remote.preDataBits > 0) {
    b.Bits(remote.preData, remote.preDataBits, 0);
    b.PulseSpace(remote.pre);
  }
  b.Bits(code, remote.bits, remote.preDataBits);
  if (remote.postDataBits > 0) {
    b.PulseSpace(remote.post);
    b.Bits(remote.postData, remote.postDataBits, remote.preDataBits + remote.bits);
  }
  b.Trail();
  if (!repeat || !remote.Has(kFlagNoFootRep)) b.Foot();
  return b.Take();
}

std::uint32_t GapAfter(const Remote& remote, const Signal& frame, bool repeat) {
  if (repeat && remote.repeatGap > 0) return remote.repeatGap;
  if (!remote.Has(kFlagConstLength)) return remote.gap;
  std::uint64_t length = frame.MarkedLengthUs();
  // A header that repeats leave out does not count towards the constant length.
  if (!repeat && remote.Has(kFlagNoHeadRep) && remote.HasHeader()) {
    const std::uint64_t header = std::uint64_t(remote.header.pulse) + remote.header.space;
    length = length > header ? length - header : 0;
  }
  // A frame longer than the gap gets the gap itself, as LIRC does.
  return remote.gap > length ? std::uint32_t(remote.gap - length) : remote.gap;
}

PressPlan PlanPress(const Remote& remote, const RemoteKey& key, bool toggled) {
  if (key.captured) return *key.captured;
  if (key.protocol && !key.protocol->keys.empty()) {
    return PlanPress(*key.protocol, key.protocol->keys.front(), toggled);
  }
  PressPlan plan;
  plan.carrierHz = remote.frequency;
  const std::size_t codes = key.codes.empty() ? 1 : key.codes.size();
  for (std::size_t i = 0; i < codes; ++i) {
    Frame frame;
    frame.light = EncodeFrame(remote, key, i, false, toggled);
    frame.gapUs = GapAfter(remote, frame.light, false);
    plan.first.push_back(std::move(frame));
  }
  plan.repeat.light = EncodeFrame(remote, key, codes - 1, true, toggled);
  plan.repeat.gapUs = GapAfter(remote, plan.repeat.light, true);
  plan.repeats = true;
  plan.minFrames = codes + std::size_t(remote.minRepeat);
  return plan;
}

PressPlan PlanFixed(const Signal& light, std::uint32_t gapAfterUs) {
  PressPlan plan;
  plan.carrierHz = light.CarrierHz();
  Frame frame;
  frame.light = light;
  frame.gapUs = gapAfterUs + frame.light.DropTrailingSpace();
  plan.first.push_back(std::move(frame));
  plan.repeats = false;
  plan.minFrames = 1;
  return plan;
}

Signal PressPlan::Expand(std::uint64_t holdUs, std::uint32_t* gapAfterUs) const {
  Signal out(carrierHz);
  std::uint32_t lastGap = 0;
  ForEachFrame(holdUs, [&](std::size_t k, std::uint64_t, const Frame& frame) {
    if (k > 0) out.AddSpace(lastGap);
    out.Append(frame.light);
    lastGap = frame.gapUs;
  });
  if (gapAfterUs) *gapAfterUs = lastGap;
  return out;
}

std::size_t PressPlan::FrameCount(std::uint64_t holdUs) const {
  std::size_t count = 0;
  ForEachFrame(holdUs, [&](std::size_t, std::uint64_t, const Frame&) { ++count; });
  return count;
}

PressPlan Transmitter::Press(std::size_t keyIndex) {
  const bool toggled = presses_ % 2 == 1;
  ++presses_;
  return PlanPress(remote_, remote_.keys.at(keyIndex), toggled);
}

}  // namespace ovalink::sim
