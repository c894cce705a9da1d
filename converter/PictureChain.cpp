#include "PictureChain.h"

#include "OptionList.h"
#include "PresetPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace
{

// Rates a preset may fix that belong to film or a TV standard; a device's
// lower rate (15, 12, 10) is its own choice and stays.
constexpr double kLowestTvRate = 23.9;
constexpr double kHighestTvRate = 30.5;
// Rates closer than this are the same (29.97 as written and 30000/1001).
constexpr double kSameRate = 0.01;

const Ratio kFilmRate(24000, 1001);

enum class ScanStep { None, Deinterlace, InverseTelecine };

int even(double value)
{
    return 2 * int(std::lround(value / 2));
}

int evenDown(int value)
{
    return value - value % 2;
}

bool sameRate(const Ratio &a, const Ratio &b)
{
    return std::abs(a.value() - b.value()) < kSameRate;
}

bool isTvRate(const Ratio &rate)
{
    return rate.value() >= kLowestTvRate && rate.value() <= kHighestTvRate;
}

// The bars as a crop that lies inside the frame, on even pixels so that
// the chroma planes of 4:2:0 video and the fields of interlaced video are
// cut where they begin.
Crop normalisedCrop(const Crop &bars, int width, int height)
{
    Crop crop;
    crop.x = evenDown(std::clamp(bars.x, 0, width - 2));
    crop.y = evenDown(std::clamp(bars.y, 0, height - 2));
    crop.width = evenDown(std::clamp(bars.width, 2, width - crop.x));
    crop.height = evenDown(std::clamp(bars.height, 2, height - crop.y));
    return crop;
}

// Narrows the crop, keeping it centred, to the aspect of the frame it is to
// fill.
Crop fillingCrop(Crop crop, const Ratio &pictureAspect, const Ratio &frameAspect)
{
    const double scale = frameAspect.value() / pictureAspect.value();
    if (scale < 1) {
        const int width = std::max(2, even(crop.width * scale));
        crop.x += evenDown((crop.width - width) / 2);
        crop.width = width;
    } else if (scale > 1) {
        const int height = std::max(2, even(crop.height / scale));
        crop.y += evenDown((crop.height - height) / 2);
        crop.height = height;
    }
    return crop;
}

class ChainBuilder
{
public:
    ChainBuilder(const std::vector<std::string> &tokens, const PictureRequest &request)
        : m_options(parseOptions(tokens)), m_request(request), m_source(request.source),
          m_preset(readPresetPicture(m_options, m_source.width, m_source.height))
    {
        m_result.options = tokens;
    }

    PictureChain build()
    {
        if (!m_source.known()) {
            m_result.summary = "picture: the source's frame is not known; the preset's options "
                               "are kept";
            return m_result;
        }
        if (const char *why = untouchable()) {
            m_result.summary = std::string("picture: ") + why + "; the preset's options are kept";
            return m_result;
        }
        frame();
        scanStep();
        std::vector<std::string> early = scanFilters();
        std::vector<std::string> late;
        if (m_preset.understood) {
            late = shapeFilters();
            late.insert(late.end(), m_preset.otherFilters.begin(), m_preset.otherFilters.end());
        } else {
            // Whatever the preset's own chain does, it gets whole pictures.
            late = keptChain();
            m_notes.push_back("the preset's own filters kept");
        }
        rate();
        writeOptions(early, late);
        summarise();
        return m_result;
    }

private:
    // Why the preset's picture options cannot be touched, or nullptr.
    const char *untouchable() const
    {
        std::string codec;
        for (const Option &option : m_options) {
            if (option.name == "filter_complex" || option.name == "lavfi" ||
                option.name == "filter_complex_script")
                return "the preset builds its own filter graph";
            if (!option.hasValue && option.name == "vn")
                return "the preset encodes no video";
            if (option.hasValue &&
                (option.name == "vcodec" || option.name == "c:v" || option.name == "codec:v" ||
                 option.name == "c" || option.name == "codec"))
                codec = option.value;
        }
        return codec == "copy" ? "the preset copies the video" : nullptr;
    }

    // The frame of the output and its display aspect.
    void frame()
    {
        const int width = m_source.width;
        const int height = m_source.height;
        m_sourceSar = m_source.aspect * Ratio(height, width);
        m_crop = {width, height, 0, 0};
        if (m_source.bars && m_request.settings.cropBars && m_request.overlay.empty())
            m_crop = normalisedCrop(*m_source.bars, width, height);
        m_pictureAspect = Ratio(m_crop.width, m_crop.height) * m_sourceSar;

        if (m_preset.width > 0) {
            m_frameWidth = m_preset.width;
            m_frameHeight = m_preset.height;
            // A disc format without an aspect of its own is shown as 4:3;
            // any other fixed frame has square pixels.
            m_frameAspect = m_preset.aspect.known() ? m_preset.aspect
                            : m_preset.discFormat   ? Ratio(4, 3)
                                                    : Ratio(m_frameWidth, m_frameHeight);
        } else if (m_preset.aspect.known()) {
            m_frameWidth = width;
            m_frameHeight = height;
            m_frameAspect = m_preset.aspect;
        } else {
            m_frameWidth = m_crop.width;
            m_frameHeight = m_crop.height;
            m_frameAspect = m_pictureAspect;
        }
        m_interlacedByDesign = m_preset.interlacedFormat && m_frameHeight == height &&
                               (!m_preset.rate.known() || !m_source.rate.known() ||
                                sameRate(m_preset.rate, m_source.rate));
    }

    void scanStep()
    {
        const ScanClass scan = m_source.scan;
        if (m_interlacedByDesign)
            return;
        switch (m_request.settings.deinterlace) {
        case DeinterlaceMode::Never:
            return;
        case DeinterlaceMode::Always:
            m_step =
                scan == ScanClass::Telecined ? ScanStep::InverseTelecine : ScanStep::Deinterlace;
            return;
        case DeinterlaceMode::Automatic:
            break;
        }
        if (scan == ScanClass::Interlaced || (scan == ScanClass::Unknown && m_preset.deinterlaces))
            m_step = ScanStep::Deinterlace;
        else if (scan == ScanClass::Telecined)
            m_step = ScanStep::InverseTelecine;
    }

    // The preset's last chain without its deinterlacer, which the scan step
    // stands in for.
    std::vector<std::string> keptChain() const
    {
        std::vector<std::string> filters;
        for (const Option &option : m_options)
            if (isVideoFilterOption(option))
                filters = splitFilterChain(option.value);
        std::erase_if(filters, [](const std::string &filter) {
            return filter.substr(0, filter.find('=')) == "yadif";
        });
        return filters;
    }

    std::vector<std::string> scanFilters() const
    {
        switch (m_step) {
        case ScanStep::Deinterlace:
            return {"bwdif=mode=send_frame"};
        case ScanStep::InverseTelecine:
            return {"fieldmatch=order=auto:combmatch=full", "yadif=deint=interlaced", "decimate"};
        case ScanStep::None:
            break;
        }
        return {};
    }

    // Crop, scale, pad and the sample aspect that gives the frame its shape.
    std::vector<std::string> shapeFilters()
    {
        if (m_preset.fillsFrame) {
            m_crop = fillingCrop(m_crop, m_pictureAspect, m_frameAspect);
            m_pictureAspect = m_frameAspect;
        }
        const double fit = m_pictureAspect.value() / m_frameAspect.value();
        m_activeWidth = m_frameWidth;
        m_activeHeight = m_frameHeight;
        if (fit > 1)
            m_activeHeight = std::clamp(even(m_frameHeight / fit), 2, m_frameHeight);
        else if (fit < 1)
            m_activeWidth = std::clamp(even(m_frameWidth * fit), 2, m_frameWidth);

        std::vector<std::string> filters;
        if (m_crop.width != m_source.width || m_crop.height != m_source.height)
            filters.push_back("crop=" + m_crop.text());
        if (m_activeWidth != m_crop.width || m_activeHeight != m_crop.height) {
            std::string scale =
                "scale=" + std::to_string(m_activeWidth) + ':' + std::to_string(m_activeHeight);
            // Woven frames kept for interlaced output are scaled field by field.
            if (m_interlacedByDesign && m_source.scan != ScanClass::Progressive)
                scale += m_source.scan == ScanClass::Unknown ? ":interl=-1" : ":interl=1";
            filters.push_back(scale);
        }
        if (m_activeWidth != m_frameWidth || m_activeHeight != m_frameHeight)
            filters.push_back("pad=" + std::to_string(m_frameWidth) + ':' +
                              std::to_string(m_frameHeight) + ':' +
                              std::to_string(evenDown((m_frameWidth - m_activeWidth) / 2)) + ':' +
                              std::to_string(evenDown((m_frameHeight - m_activeHeight) / 2)));
        filters.push_back("setsar=" + (m_frameAspect * Ratio(m_frameHeight, m_frameWidth)).text());
        return filters;
    }

    // The title's own rate where the preset fixes a TV rate of another
    // standard (or film's), so that no frame is repeated or dropped in a
    // steady rhythm. Disc formats keep the rate their standard demands.
    void rate()
    {
        const Ratio own = m_step == ScanStep::InverseTelecine || m_source.pulldownFlags
                              ? kFilmRate
                              : m_source.rate;
        const Ratio fixed = m_preset.rate;
        if (m_preset.discFormat || !fixed.known() || !own.known() || !isTvRate(fixed) ||
            !isTvRate(own) || sameRate(fixed, own))
            return;
        m_rate = own;
        m_notes.push_back("rate " + own.text() + " kept (the preset asks for " + fixed.text() +
                          ")");
    }

    void writeOptions(const std::vector<std::string> &early, const std::vector<std::string> &late)
    {
        std::vector<Option> out;
        bool placed = false;
        auto place = [&] {
            if (!placed)
                out.push_back(chainOption(early, late));
            placed = true;
        };
        for (const Option &option : m_options) {
            if (isVideoFilterOption(option)) {
                place();
                continue;
            }
            if (m_rate.known() && option.hasValue && option.name == "r")
                continue;
            out.push_back(option);
        }
        if (!placed)
            out.insert(out.begin(), chainOption(early, late));
        // After -target, which sets a rate of its own.
        if (m_rate.known())
            out.push_back({"r", m_rate.text(), true, true});
        m_result.options = flattenOptions(out);
    }

    static std::string join(const std::vector<std::string> &filters)
    {
        std::string chain;
        for (const std::string &filter : filters)
            chain += (chain.empty() ? "" : ",") + filter;
        return chain;
    }

    Option chainOption(const std::vector<std::string> &early, const std::vector<std::string> &late)
    {
        if (m_request.overlay.empty()) {
            std::vector<std::string> all = early;
            all.insert(all.end(), late.begin(), late.end());
            return {"vf", join(all), true, true};
        }
        m_result.complex = true;
        std::string graph = "[0:v:0]";
        if (!early.empty())
            graph += join(early) + "[whole];[whole]";
        graph += "[" + m_request.overlay + "]overlay";
        if (!late.empty())
            graph += ',' + join(late);
        return {"filter_complex", graph + kPictureLabel, true, true};
    }

    void summarise()
    {
        std::string text = "picture: " + std::to_string(m_source.width) + 'x' +
                           std::to_string(m_source.height) + ' ' + m_source.aspect.aspectText() +
                           ' ' + std::string(scanClassName(m_source.scan));
        if (m_source.bars) {
            const bool cropped = m_request.settings.cropBars && m_request.overlay.empty();
            text += ", picture inside bars " + m_source.bars->text() +
                    (cropped                       ? " (cropped)"
                     : m_request.settings.cropBars ? " (kept for the overlay)"
                                                   : " (kept: cropping is off)");
        }
        if (m_step == ScanStep::Deinterlace)
            text += ", deinterlaced";
        else if (m_step == ScanStep::InverseTelecine)
            text += ", telecine undone";
        else if (m_interlacedByDesign && m_source.scan != ScanClass::Progressive)
            text += ", left interlaced for interlaced output";
        if (m_preset.understood)
            text += ", " + std::to_string(m_activeWidth) + 'x' + std::to_string(m_activeHeight) +
                    " in a " + std::to_string(m_frameWidth) + 'x' + std::to_string(m_frameHeight) +
                    ' ' + m_frameAspect.aspectText() + " frame";
        for (const std::string &note : m_notes)
            text += ", " + note;
        m_result.summary = text;
    }

    std::vector<Option> m_options;
    const PictureRequest &m_request;
    const SourcePicture &m_source;
    PresetPicture m_preset;
    PictureChain m_result;

    Ratio m_sourceSar;
    Crop m_crop;
    Ratio m_pictureAspect;
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    Ratio m_frameAspect;
    int m_activeWidth = 0;
    int m_activeHeight = 0;
    bool m_interlacedByDesign = false;
    ScanStep m_step = ScanStep::None;
    Ratio m_rate;
    std::vector<std::string> m_notes;
};

} // namespace

PictureChain buildPictureChain(const std::vector<std::string> &tokens,
                               const PictureRequest &request)
{
    return ChainBuilder(tokens, request).build();
}

void mapPictureOutput(std::vector<std::string> &streamOptions)
{
    for (std::size_t i = 0; i + 1 < streamOptions.size(); ++i)
        if (streamOptions[i] == "-map" && streamOptions[i + 1] == "0:v:0")
            streamOptions[i + 1] = kPictureLabel;
}
