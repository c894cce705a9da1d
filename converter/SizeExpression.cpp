#include "SizeExpression.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace
{

// A recursive-descent reader over one expression.
class Reader
{
public:
    Reader(std::string_view text, double width, double height)
        : m_text(text), m_width(width), m_height(height)
    {
    }

    std::optional<double> whole()
    {
        const std::optional<double> value = sum();
        skipBlanks();
        if (!value || m_at != m_text.size())
            return std::nullopt;
        return value;
    }

private:
    void skipBlanks()
    {
        while (m_at < m_text.size() && m_text[m_at] == ' ')
            ++m_at;
    }

    bool take(char c)
    {
        skipBlanks();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    std::optional<double> sum()
    {
        std::optional<double> value = product();
        while (value) {
            if (take('+')) {
                const auto right = product();
                value = right ? std::optional<double>(*value + *right) : std::nullopt;
            } else if (take('-')) {
                const auto right = product();
                value = right ? std::optional<double>(*value - *right) : std::nullopt;
            } else {
                break;
            }
        }
        return value;
    }

    std::optional<double> product()
    {
        std::optional<double> value = factor();
        while (value) {
            if (take('*')) {
                const auto right = factor();
                value = right ? std::optional<double>(*value * *right) : std::nullopt;
            } else if (take('/')) {
                const auto right = factor();
                if (!right || *right == 0)
                    return std::nullopt;
                value = *value / *right;
            } else {
                break;
            }
        }
        return value;
    }

    std::optional<double> factor()
    {
        if (take('-')) {
            const auto value = factor();
            return value ? std::optional<double>(-*value) : std::nullopt;
        }
        if (take('(')) {
            const auto value = sum();
            return value && take(')') ? value : std::nullopt;
        }
        skipBlanks();
        const std::size_t start = m_at;
        while (m_at < m_text.size() && (std::isalnum(static_cast<unsigned char>(m_text[m_at])) ||
                                        m_text[m_at] == '_' || m_text[m_at] == '.'))
            ++m_at;
        const std::string word(m_text.substr(start, m_at - start));
        if (word == "iw" || word == "in_w")
            return m_width;
        if (word == "ih" || word == "in_h")
            return m_height;
        if (word.empty() || !(std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '.'))
            return std::nullopt;
        char *end = nullptr;
        const double number = std::strtod(word.c_str(), &end);
        if (end != word.c_str() + word.size())
            return std::nullopt;
        return number;
    }

    std::string_view m_text;
    double m_width;
    double m_height;
    std::size_t m_at = 0;
};

} // namespace

std::optional<double> evaluateSize(std::string_view expression, double inputWidth,
                                   double inputHeight)
{
    return Reader(expression, inputWidth, inputHeight).whole();
}
