#include "app/sound.h"

#include <QElapsedTimer>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tavelon;

namespace {

quint32 le32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

quint16 le16(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

} // namespace

TEST(Sound, BeepIsTheDocumentedWave)
{
    const QByteArray wave = resourceSound("BEEP");
    ASSERT_EQ(wave.size(), 20672);
    EXPECT_EQ(wave.left(4), "RIFF");
    EXPECT_EQ(le32(wave, 4), 20672u - 8);
    EXPECT_EQ(wave.mid(8, 4), "WAVE");

    EXPECT_EQ(wave.mid(12, 4), "fmt ");
    ASSERT_EQ(le32(wave, 16), 18u);
    EXPECT_EQ(le16(wave, 20), 1u);     // PCM
    EXPECT_EQ(le16(wave, 22), 1u);     // mono
    EXPECT_EQ(le32(wave, 24), 22050u); // samples per second
    EXPECT_EQ(le32(wave, 28), 44100u); // bytes per second
    EXPECT_EQ(le16(wave, 32), 2u);     // block align
    EXPECT_EQ(le16(wave, 34), 16u);    // bits per sample
    EXPECT_EQ(le16(wave, 36), 0u);     // cbSize

    EXPECT_EQ(wave.mid(38, 4), "PAD ");
    ASSERT_EQ(le32(wave, 42), 4044u);
    const qsizetype data = 46 + 4044;
    EXPECT_EQ(wave.mid(data, 4), "data");
    EXPECT_EQ(le32(wave, data + 4), 16574u);
    EXPECT_EQ(data + 8 + 16574, wave.size());

    // Audible, and silent at both ends so it starts and stops without a click.
    const auto *samples = reinterpret_cast<const qint16 *>(wave.constData() + data + 8);
    int peak = 0;
    for (int i = 0; i < 16574 / 2; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    EXPECT_GT(peak, 8000);
    EXPECT_LT(std::abs(int(samples[0])), 200);
    EXPECT_LT(std::abs(int(samples[16574 / 2 - 1])), 200);

    EXPECT_EQ(resourceSound("beep"), wave);
    for (const char *name : {"", "NOSUCH", "../sounds/beep", "beep.wav"})
        EXPECT_TRUE(resourceSound(name).isEmpty()) << name;
}

TEST(Sound, ReturnsAtOnceWithoutASoundServer)
{
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/tavelon-test/native");
    QElapsedTimer timer;
    timer.start();
    PlayResourceSound("BEEP");
    PlayResourceSound("BEEP", 6);
    PlayResourceSound("NOSUCH");
    EXPECT_LT(timer.elapsed(), 1000);
    if (saved.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", saved);
}
