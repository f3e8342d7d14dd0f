#include <zantoquiller/textsource.h>

#include <algorithm>
#include <mutex>
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

// Registered from any thread, read by prints on any thread.
struct MemoTypes
{
    std::mutex mutex;
    std::vector<MemoTypeAdapter> adapters;
};

MemoTypes &memoTypes()
{
    static MemoTypes types;
    return types;
}

} // namespace

void registerMemoType(MemoTypeAdapter adapter)
{
    MemoTypes &types = memoTypes();
    const std::lock_guard lock(types.mutex);
    if (adapter
        && std::find(types.adapters.begin(), types.adapters.end(), adapter) == types.adapters.end())
        types.adapters.push_back(adapter);
}

std::unique_ptr<TextSource> textSourceForMemo(QObject *memo)
{
    if (!memo)
        return nullptr;
    std::vector<MemoTypeAdapter> adapters;
    {
        MemoTypes &types = memoTypes();
        const std::lock_guard lock(types.mutex);
        adapters = types.adapters;
    }
    for (MemoTypeAdapter adapter : adapters) {
        if (std::unique_ptr<TextSource> source = adapter(memo))
            return source;
    }
    return nullptr;
}

} // namespace Zanto
