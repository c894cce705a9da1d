#include "SoundOutput.h"

#include "QtSoundOutput.h"

#include <mutex>

namespace prevkit
{

namespace
{

std::mutex factoryMutex;
SoundOutputFactory &factory()
{
    static SoundOutputFactory current;
    return current;
}

} // namespace

SoundOutput::~SoundOutput() = default;

void setSoundOutputFactory(SoundOutputFactory make)
{
    std::lock_guard lock(factoryMutex);
    factory() = std::move(make);
}

std::unique_ptr<SoundOutput> makeSoundOutput()
{
    std::lock_guard lock(factoryMutex);
    if (factory())
        return factory()();
    return std::make_unique<QtSoundOutput>();
}

} // namespace prevkit
