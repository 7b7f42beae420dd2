#pragma once

#include "expand/primitive_sink.h"
#include "geometry/arc.h"
#include "layer_routes.h"
#include "script/script_writer.h"

namespace vektrano {

// Writes each primitive as the script command it has always been: a chain as its
// segments (a segment between equal points is left out), arcs of ARC, CIRCLE and
// ELLIPSE in the lower-case spelling.
class ScriptSink final : public PrimitiveSink
{
public:
    explicit ScriptSink(ScriptWriter& writer)
        : writer_(writer)
    {}

    void Segment(const PrimitiveSource&, Point from, Point to) override;
    void Arc(const PrimitiveSource& source, Point from, Point to, double sweepDegrees) override;
    void Circle(const PrimitiveSource&, Point centre, double radius) override;
    void Chain(const PrimitiveSource&, std::span<const Point> points) override;
    bool Failed() const override { return writer_.Failed(); }

private:
    ScriptWriter& writer_;
};

// Grows a box by everything the primitives draw.
class ExtentSink final : public PrimitiveSink
{
public:
    explicit ExtentSink(Box& box)
        : box_(box)
    {}

    void Segment(const PrimitiveSource&, Point from, Point to) override;
    void Arc(const PrimitiveSource&, Point from, Point to, double sweepDegrees) override;
    void Circle(const PrimitiveSource&, Point centre, double radius) override;
    void Chain(const PrimitiveSource&, std::span<const Point> points) override;
    // Texts by their lines' anchors (their extent depends on Eagle's font), areas
    // by their rings; both only when the walk hands them on.
    void Text(const PrimitiveSource&, const PlacedText& text) override;
    void Area(const PrimitiveSource&, const PlacedArea& area) override;

private:
    Box& box_;
};

} // namespace vektrano

namespace vektrano {

// Hands on only what a layer map draws, so the automatic offset measures exactly
// the layers that reach the script.
class MappedSink final : public PrimitiveSink
{
public:
    MappedSink(LayerRoutes& routes, PrimitiveSink& inner)
        : routes_(routes)
        , inner_(inner)
    {}

    void Segment(const PrimitiveSource& source, Point from, Point to) override
    {
        if (Draws(source, DrawsLines))
            inner_.Segment(source, from, to);
    }
    void Arc(const PrimitiveSource& source, Point from, Point to, double sweepDegrees) override
    {
        if (Draws(source, DrawsLines))
            inner_.Arc(source, from, to, sweepDegrees);
    }
    void Circle(const PrimitiveSource& source, Point centre, double radius) override
    {
        if (Draws(source, DrawsLines))
            inner_.Circle(source, centre, radius);
    }
    void Chain(const PrimitiveSource& source, std::span<const Point> points) override
    {
        if (Draws(source, DrawsLines))
            inner_.Chain(source, points);
    }
    void Text(const PrimitiveSource& source, const PlacedText& text) override
    {
        if (Draws(source, DrawsTexts))
            inner_.Text(source, text);
    }
    void Area(const PrimitiveSource& source, const PlacedArea& area) override
    {
        if (Draws(source, DrawsAreas))
            inner_.Area(source, area);
    }

private:
    bool Draws(const PrimitiveSource& source, bool (*kindDraws)(LayerKind))
    {
        const LayerRoute& route = routes_.Of(source.layer);
        return !route.Off() && kindDraws(route.Kind());
    }

    LayerRoutes& routes_;
    PrimitiveSink& inner_;
};

} // namespace vektrano
