#include "englishtext.h"

#include <QByteArrayList>

#include <random>

namespace ZantoBench {

QByteArray englishText(qsizetype size, unsigned seed)
{
    // Common words, roughly as often as in English prose.
    static const QByteArrayList words = QByteArray(
        "the of and to a in is that for it as was with be by on not he this are or his from at "
        "which but have an they you were her she there had been one all we their has would when "
        "if so no will more out up into do any your what some can time may only other about "
        "these new could than them its two first then should also after years where most over "
        "such very made like between many through being well people before must invoice "
        "customer account payment delivery printer paper ribbon quantity value total order "
        "number office supplies street estate reference please quote terms thank")
                                            .split(' ');
    std::mt19937 random(seed);
    auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    QByteArray text;
    text.reserve(size + 1024);
    while (text.size() < size) {
        const int paragraphWords = 20 + below(180);
        bool sentenceStart = true;
        for (int w = 0; w < paragraphWords; ++w) {
            QByteArray word = words[below(static_cast<int>(words.size()))];
            if (sentenceStart)
                word[0] = static_cast<char>(word[0] - 32);
            sentenceStart = false;
            const int markup = below(200);
            if (markup == 0)
                word = '~' + word + '^';
            else if (markup == 1)
                word = '!' + word + '|';
            text += word;
            const int end = below(100);
            if (end < 7) {
                text += ". ";
                sentenceStart = true;
            } else if (end < 12) {
                text += ", ";
            } else {
                text += ' ';
            }
        }
        text.chop(1);
        text += ".\r\n\r\n";
    }
    return text;
}

} // namespace ZantoBench
