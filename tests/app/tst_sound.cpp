#include "services/sound.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tavelon;

TEST(Sound, BeepIsTheDocumentedWave)
{
    const QByteArray wave = resourceSound("BEEP");
    ASSERT_EQ(wave.size(), 20672);
    // RIFF size; "fmt " of 18 bytes: PCM, mono, 22,050 Hz, 44,100 bytes/s, align 2, 16 bits, no
    // extra bytes; "PAD " of 4,044 bytes; then "data" of 16,574 bytes to the end.
    const QByteArray header = QByteArray("RIFF\xB8\x50\0\0WAVEfmt \x12\0\0\0\x01\0\x01\0\x22\x56\0\0"
                                         "\x44\xAC\0\0\x02\0\x10\0\0\0PAD \xCC\x0F\0\0",
                                         46);
    EXPECT_EQ(wave.left(46), header);
    const qsizetype data = 46 + 4044;
    EXPECT_EQ(wave.mid(data, 8), QByteArray("data\xBE\x40\0\0", 8));

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
