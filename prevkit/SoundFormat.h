// SoundFormat: the form of the samples a sound output takes (interleaved).
#pragma once

namespace prevkit
{

struct SoundFormat {
    enum class Sample { UInt8, Int16, Int32, Float };

    int sampleRate = 48000;
    int channels = 2;
    Sample sample = Sample::Int16;

    int bytesPerSample() const
    {
        switch (sample) {
        case Sample::UInt8:
            return 1;
        case Sample::Int16:
            return 2;
        case Sample::Int32:
        case Sample::Float:
            return 4;
        }
        return 2;
    }
    int bytesPerFrame() const { return bytesPerSample() * channels; }
    bool isValid() const { return sampleRate > 0 && channels > 0; }
};

} // namespace prevkit
