#include "resource_census.h"

#include "com_object.h"
#include "reference_count.h"

namespace {

// {6F1C2A34-8D0B-4E5F-9A21-3C4D5E6F7081}
const GUID kCensusSentinel = {0x6f1c2a34, 0x8d0b, 0x4e5f, {0x9a, 0x21, 0x3c, 0x4d, 0x5e, 0x6f, 0x70, 0x81}};

class Sentinel final : public ComObject<IUnknown> {
public:
    Sentinel(std::shared_ptr<ResourceCensus::Counts> counts, D3DRESOURCETYPE type)
        : counts_(std::move(counts)), type_(static_cast<size_t>(type) & 7)
    {
        ++counts_->live;
        ++counts_->liveByType[type_];
    }
    ~Sentinel() override
    {
        --counts_->live;
        --counts_->liveByType[type_];
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }

private:
    std::shared_ptr<ResourceCensus::Counts> counts_;
    size_t type_;
};

} // namespace

ResourceCensus::ResourceCensus() : counts_(std::make_shared<Counts>()) {}

ResourceCensus::~ResourceCensus() { WatchDeclarations(false); }

int ResourceCensus::LiveOfType(D3DRESOURCETYPE type) const { return counts_->liveByType[static_cast<size_t>(type) & 7]; }

void ResourceCensus::Track(IDirect3DResource9* resource)
{
    if (!resource)
        return;
    auto* sentinel = new Sentinel(counts_, resource->GetType());
    // The resource takes its own reference on the sentinel and drops it when it is destroyed.
    if (SUCCEEDED(resource->SetPrivateData(kCensusSentinel, sentinel, sizeof(IUnknown*), D3DSPD_IUNKNOWN)))
        ++counts_->created;
    sentinel->Release();
}

void ResourceCensus::WatchDeclarations(bool watch)
{
    watchDeclarations_ = watch;
    if (watch)
        return;
    for (IDirect3DVertexDeclaration9* declaration : declarations_)
        declaration->Release();
    declarations_.clear();
}

void ResourceCensus::TrackDeclaration(IDirect3DVertexDeclaration9* declaration)
{
    if (!watchDeclarations_ || !declaration)
        return;
    declaration->AddRef();
    declarations_.push_back(declaration);
}

int ResourceCensus::LiveDeclarations() const
{
    int live = 0;
    for (IDirect3DVertexDeclaration9* declaration : declarations_)
        live += ReferenceCount(declaration) > 1;
    return live;
}
