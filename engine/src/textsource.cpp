#include <zantoquiller/textsource.h>

#include <algorithm>
#include <vector>

namespace Zanto {

TextSource::~TextSource() = default;

QByteArrayView TextSource::linePiece(qint32 index, bool &lineEnds)
{
    lineEnds = true;
    return line(index);
}

void TextSource::progress(qint64, qint64) { }

namespace {

std::vector<MemoTypeAdapter> &memoTypes()
{
    static std::vector<MemoTypeAdapter> adapters;
    return adapters;
}

} // namespace

void registerMemoType(MemoTypeAdapter adapter)
{
    std::vector<MemoTypeAdapter> &adapters = memoTypes();
    if (adapter && std::find(adapters.begin(), adapters.end(), adapter) == adapters.end())
        adapters.push_back(adapter);
}

std::unique_ptr<TextSource> textSourceForMemo(QObject *memo)
{
    if (!memo)
        return nullptr;
    for (MemoTypeAdapter adapter : memoTypes()) {
        if (std::unique_ptr<TextSource> source = adapter(memo))
            return source;
    }
    return nullptr;
}

} // namespace Zanto
