// The pieces of the music analysis on their own: beat detector, loudness normaliser and its
// knee, bands, pseudo-bands.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <numbers>
#include <vector>

#include "lighting/BeatDetector.h"
#include "lighting/LoudnessNormaliser.h"
#include "lighting/PseudoBands.h"
#include "lighting/SpectrumBands.h"

namespace lighting {
namespace {

using std::chrono::milliseconds;

struct Spectrum {
  int atMs;
  float energy;
};

// Quiet spectra every 40 ms between the given ones, as the analysis would produce them.
void Play(BeatDetector& detector, const std::vector<Spectrum>& loud) {
  int now = loud.empty() ? 0 : loud.front().atMs;
  for (const Spectrum& spectrum : loud) {
    for (; now + 40 < spectrum.atMs; now += 40) detector.Update(0.0f, milliseconds(now));
    detector.Update(spectrum.energy, milliseconds(spectrum.atMs));
    now = spectrum.atMs + 40;
  }
}

struct TempoCase {
  friend void PrintTo(const TempoCase& c, std::ostream* out) { *out << c.name; }
  const char* name;
  std::vector<Spectrum> spectra;
  float tempo;
  int lastBeatMs;
};

class BeatDetectorTempo : public testing::TestWithParam<TempoCase> {};

TEST_P(BeatDetectorTempo, FollowsTheTimeBetweenBeats) {
  BeatDetector detector;
  Play(detector, GetParam().spectra);
  EXPECT_NEAR(detector.Tempo(), GetParam().tempo, 1e-3);
  ASSERT_TRUE(detector.LastBeat().has_value());
  EXPECT_EQ(*detector.LastBeat(), milliseconds(GetParam().lastBeatMs));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BeatDetectorTempo,
    testing::Values(
        TempoCase{"OneBeatGivesNoTempo", {{1000, 1.0f}}, 0.0f, 1000},
        TempoCase{"TwoBeats500msApart", {{1000, 1.0f}, {1500, 1.0f}}, 120.0f, 1500},
        TempoCase{"AThird250msLater", {{1000, 1.0f}, {1500, 1.0f}, {1750, 1.0f}}, 144.0f, 1750},
        TempoCase{
            "A2500msGapKeepsTheTempo", {{1000, 1.0f}, {1500, 1.0f}, {4000, 1.0f}}, 120.0f, 4000},
        TempoCase{"ASpikeWithin150msIsNoBeat", {{1000, 1.0f}, {1140, 1.0f}}, 0.0f, 1000},
        TempoCase{"ASpikeJustPast150msIsABeat", {{1000, 1.0f}, {1160, 1.0f}}, 375.0f, 1160},
        TempoCase{"ABeatAfterAlmostTwoSecondsCounts",
                  {{1000, 1.0f}, {2990, 1.0f}},
                  60000.0f / 1990,
                  2990},
        TempoCase{"VeryCloseBeatsAreClampedTo400", {{1000, 1.0f}, {1151, 1.0f}}, 397.35f, 1151}),
    [](const auto& info) { return info.param.name; });

TEST(BeatDetector, TheFlagFallsAfter100msAndTheIntensityFades) {
  BeatDetector detector;
  detector.Update(1.0f, milliseconds(1000));
  ASSERT_TRUE(detector.Beat());
  const float intensity = detector.Intensity();
  EXPECT_GT(intensity, 0.0f);
  detector.Update(0.0f, milliseconds(1090));  // within 100 ms: held
  EXPECT_TRUE(detector.Beat());
  EXPECT_FLOAT_EQ(detector.Intensity(), intensity);
  detector.Update(0.0f, milliseconds(1110));
  EXPECT_FALSE(detector.Beat());
  EXPECT_FLOAT_EQ(detector.Intensity(), intensity * 0.9f);
  for (int t = 1150; t < 3000; t += 40) detector.Update(0.0f, milliseconds(t));
  EXPECT_EQ(detector.Intensity(), 0.0f);
}

TEST(BeatDetector, QuietSpectraNeverBeatAndANaNEnergyCountsAsSilence) {
  BeatDetector detector;
  for (int t = 0; t < 3000; t += 40) {
    detector.Update(t % 400 == 0 ? NAN : 0.005f, milliseconds(t));
    EXPECT_FALSE(detector.Beat());
  }
  EXPECT_GE(detector.Threshold(), 0.01f);
  EXPECT_FALSE(detector.LastBeat().has_value());
}

TEST(BeatDetector, EnergyWeighsTheLowBands) {
  std::array<float, 32> bands{};
  bands[0] = 1.0f;
  EXPECT_FLOAT_EQ(BeatDetector::Energy(bands), 0.5f / 6);
  bands = {};
  bands[2] = 0.5f;
  bands[5] = 1.0f;
  bands[6] = 1.0f;  // not counted
  EXPECT_FLOAT_EQ(BeatDetector::Energy(bands), (0.25f + 0.3f) / 6);
}

struct WeightCase {
  friend void PrintTo(const WeightCase& c, std::ostream* out) {
    *out << c.frequency << " Hz at " << c.rate;
  }
  unsigned rate;
  double frequency;
  double weight;
};

class LoudnessWeights : public testing::TestWithParam<WeightCase> {};

TEST_P(LoudnessWeights, FollowTheBinFrequencyAtTheRate) {
  const LoudnessNormaliser normaliser(GetParam().rate);
  const double binWidth = GetParam().rate / 2048.0;
  const auto bin = static_cast<std::size_t>(std::lround(GetParam().frequency / binWidth));
  ASSERT_NEAR(bin * binWidth, GetParam().frequency, 1e-6) << "pick an exact bin frequency";
  EXPECT_NEAR(normaliser.Weight(bin), GetParam().weight, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, LoudnessWeights,
    testing::Values(WeightCase{48000, 0.0, 0.0}, WeightCase{48000, 46.875, 0.2197265625},
                    WeightCase{48000, 375.0, 1.0},
                    WeightCase{48000, 2015.625, 1.0 + 0.5 * std::pow(2000.0 / 2015.625, 3)},
                    WeightCase{48000, 12000.0, 1.0 / 1.44}, WeightCase{24000, 46.875, 0.2197265625},
                    WeightCase{24000, 11988.28125, std::pow(10000.0 / 11988.28125, 2)},
                    WeightCase{32000, 2000.0, 1.5}),
    [](const auto& info) {
      return std::to_string(info.param.rate) + "Hz_bin" + std::to_string(info.index);
    });

TEST(LoudnessNormaliser, SilenceLeavesTheGainAndASteadySoundIsPulledTowardsTheTarget) {
  LoudnessNormaliser normaliser(48000);
  std::array<float, 1024> spectrum{};
  for (int i = 0; i < 50; ++i) normaliser.Apply(spectrum);
  EXPECT_FLOAT_EQ(normaliser.Gain(), 1.0f);
  EXPECT_EQ(normaliser.Loudness(spectrum), LoudnessNormaliser::kGateDb);
  // A quiet sound: the gain climbs towards the one that brings it to -18 dB.
  std::array<float, 1024> tone{};
  tone.fill(3e-3f);
  const float loudness = normaliser.Loudness(tone);
  const float target = std::pow(10.0f, (-18.0f - loudness) / 20.0f);
  ASSERT_GT(target, 10.0f);
  ASSERT_LT(target, 100.0f);
  float gain = 1.0f;
  for (int i = 0; i < 200; ++i) {
    auto copy = tone;
    normaliser.Apply(copy);
    gain = gain * 0.95f + target * 0.05f;
    EXPECT_NEAR(normaliser.Gain(), gain, gain * 1e-4f);
    EXPECT_NEAR(copy[100], KneeIntoUnitRange(3e-3f * normaliser.Gain()), 1e-6f);
  }
}

TEST(LoudnessNormaliser, TheKneeEndsWithinOneAndNeverFallsForALargerInput) {
  EXPECT_FLOAT_EQ(SoftKnee(0.5f), 0.5f);
  EXPECT_FLOAT_EQ(SoftKnee(1.7f), 0.7f + 1.0f / 3.0f);
  float previous = 0.0f;
  for (float value = 0.0f; value < 200.0f; value += 0.01f) {
    const float mapped = KneeIntoUnitRange(value);
    ASSERT_GE(mapped, previous) << value;
    ASSERT_LE(mapped, 1.0f) << value;
    if (value <= 0.7f) {
      ASSERT_FLOAT_EQ(mapped, value);
    }
    previous = mapped;
  }
  EXPECT_GT(KneeIntoUnitRange(1e9f), 0.99f);
  EXPECT_EQ(KneeIntoUnitRange(NAN), 0.0f);
}

TEST(SpectrumBands, EveryBandCoversItsCubicRangeAndAtLeastOneBin) {
  std::vector<float> values(1024);
  for (std::size_t k = 0; k < values.size(); ++k) values[k] = static_cast<float>(k) / 1024.0f;
  std::array<float, 32> bands32{};
  ComputeBands(values, bands32);
  // Bands 0 to 2 are bin 0 alone, band 3 bins 0 and 1, band 4 bin 2, band 31 bins 930 to 1023.
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(bands32[i], 0.0f) << i;
  EXPECT_FLOAT_EQ(bands32[3], 0.5f / 1024.0f);
  EXPECT_FLOAT_EQ(bands32[4], 2.0f / 1024.0f);
  EXPECT_FLOAT_EQ(bands32[31], (930.0f + 1023.0f) / 2.0f / 1024.0f);
  std::vector<float> loud(1024, 3.0f);
  std::array<float, 64> bands64{};
  ComputeBands(loud, bands64);
  for (float band : bands64) EXPECT_EQ(band, 1.0f);
}

TEST(SpectrumBands, ToneEnergiesAreTheMeansOfTheirBands) {
  std::array<float, 32> bands{};
  for (int i = 0; i < 9; ++i) bands[i] = 0.9f;
  for (int i = 9; i < 21; ++i) bands[i] = 0.6f;
  for (int i = 21; i < 32; ++i) bands[i] = 0.3f;
  const ToneEnergies tones = ComputeToneEnergies(bands);
  EXPECT_FLOAT_EQ(tones.bass, 0.9f);
  EXPECT_FLOAT_EQ(tones.mid, 0.6f);
  EXPECT_FLOAT_EQ(tones.treble, 0.3f);
}

TEST(PseudoBands, ASteadyLevelWavesWithTheBandsOwnPeriods) {
  PseudoBands bands;
  const float level = 0.5f;
  bands.Update(level, milliseconds(0));
  for (float value : bands.Bands()) EXPECT_LE(value, 1.0f);
  for (int step = 1; step <= 500; ++step) {
    bands.Update(level, milliseconds(16 * step));
    const double seconds = 0.016 * step;
    for (std::size_t i = 0; i < PseudoBands::kCount; ++i) {
      const double weight = i <= 2 ? 1.2 : (i <= 4 ? 1.0 : 0.8);
      const double expected = (std::sin(seconds * (0.5 * i + 2.0)) * 0.3 + 1.0) * weight * level;
      ASSERT_NEAR(bands.Bands()[i], std::min(expected, 1.0), 1e-4)
          << "band " << i << " step " << step;
      ASSERT_GE(bands.Peaks()[i], bands.Bands()[i]);
    }
  }
}

TEST(PseudoBands, SilenceBringsEveryBandToZeroAndThePeaksDecay) {
  PseudoBands bands;
  bands.Update(1.0f, milliseconds(0));
  const auto peaks = bands.Peaks();
  bands.Update(0.0f, milliseconds(16));
  for (std::size_t i = 0; i < PseudoBands::kCount; ++i) {
    EXPECT_EQ(bands.Bands()[i], 0.0f);
    EXPECT_FLOAT_EQ(bands.Peaks()[i], peaks[i] * 0.95f);
    EXPECT_FLOAT_EQ(bands.Smoothed()[i], 0.2f * 0.8f * peaks[i]);
  }
}

}  // namespace
}  // namespace lighting
