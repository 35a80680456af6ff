// Counts the Direct3D resources, among those created through one device, that are still alive.
// Each tracked resource carries a small sentinel object in its private data; Direct3D releases
// that sentinel when it destroys the resource, which is how the census learns of it. Direct3D may
// destroy a resource on its own command thread, so the counts are atomic.
// Vertex declarations carry no private data: while declarations are watched, the census keeps a
// reference on each one made and counts as live those that someone else still references too.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <vector>

#include <d3d9.h>

class ResourceCensus {
public:
    ResourceCensus();
    ~ResourceCensus();
    ResourceCensus(const ResourceCensus&) = delete;
    ResourceCensus& operator=(const ResourceCensus&) = delete;
    void Track(IDirect3DResource9* resource);
    // Off by default; turning it off lets go of the declarations kept so far.
    void WatchDeclarations(bool watch);
    void TrackDeclaration(IDirect3DVertexDeclaration9* declaration);
    // Watched declarations still referenced by someone besides the census.
    int LiveDeclarations() const;
    // Resources tracked so far, and those of them not yet destroyed.
    int Created() const { return counts_->created; }
    int Live() const { return counts_->live; }
    // Live resources of one D3DRTYPE, to name what a leak is made of.
    int LiveOfType(D3DRESOURCETYPE type) const;

    struct Counts {
        std::atomic<int> created{0};
        std::atomic<int> live{0};
        std::array<std::atomic<int>, 8> liveByType{}; // indexed by D3DRTYPE (1 to 7)
    };

private:
    std::shared_ptr<Counts> counts_;
    bool watchDeclarations_ = false;
    std::vector<IDirect3DVertexDeclaration9*> declarations_; // one reference each
};
