"""Drawings ezdxf makes for the text and area oracle: the cases the sample
drawings hold too few of (every alignment, mirrored blocks, hatches with islands
and curved edges). Each is placed once on its own and once inside blocks that
turn, scale and mirror it, so the same rules are checked through a placement."""

import os


def _texts(space):
    # Every TEXT justification, each turned differently and two of them flipped.
    from ezdxf.enums import TextEntityAlignment

    for i, align in enumerate(TextEntityAlignment):
        if align in (TextEntityAlignment.ALIGNED, TextEntityAlignment.FIT):
            text = space.add_text("Fit %d" % i, height=2.5, dxfattribs={"rotation": 0})
            text.set_placement((i * 20, 0), (i * 20 + 15, 4), align=align)
            continue
        text = space.add_text("A'b\\c!d %%%%c5 %%%%d %d" % i, height=1.45 + 0.25 * i,
                              dxfattribs={"rotation": 15 * i, "text_generation_flag": (0, 2, 4, 6)[i % 4]})
        text.set_placement((i * 20, 10), align=align)
    for attachment in range(1, 10):
        space.add_mtext("Zeile eins\\Pzweite {\\H2x;Zeile}\\P\\Pvierte", dxfattribs={
            "insert": (attachment * 25, 40), "char_height": 2, "attachment_point": attachment,
            "rotation": 20 * attachment, "line_spacing_factor": 1 + 0.25 * (attachment % 3)})
    space.add_mtext("Richtung", dxfattribs={"insert": (0, 70), "char_height": 3,
                                            "text_direction": (1, 1, 0)})


def _areas(space):
    hatch = space.add_hatch(color=1)  # a square with a round island holding a square
    hatch.paths.add_polyline_path([(0, 0), (40, 0), (40, 40), (0, 40)], is_closed=True, flags=1)
    hatch.paths.add_polyline_path([(5, 20, 1), (35, 20, 1)], is_closed=True, flags=16)
    hatch.paths.add_polyline_path([(15, 15), (25, 15), (25, 25), (15, 25)], is_closed=True, flags=16)
    hatch = space.add_hatch(color=2)  # edges: line, arc, elliptic arc, spline
    edges = hatch.paths.add_edge_path(flags=1)
    edges.add_line((50, 0), (90, 0))
    edges.add_arc((90, 10), radius=10, start_angle=270, end_angle=360)
    edges.add_line((100, 10), (100, 30))
    edges.add_ellipse((80, 30), major_axis=(20, 0), ratio=0.5, start_angle=0, end_angle=180)
    # Real hatches carry their splines' control points; a spline given by fit
    # points alone leaves its end tangents open, and ezdxf guesses them its own way.
    edges.add_spline(control_points=[(60, 30), (55, 20), (52, 10), (50, 0)],
                     knot_values=[0, 0, 0, 0, 1, 1, 1, 1], degree=3)
    hatch = space.add_hatch(color=3)  # two islands side by side
    hatch.paths.add_polyline_path([(110, 0), (160, 0), (160, 30), (110, 30)], is_closed=True, flags=1)
    hatch.paths.add_polyline_path([(115, 5), (125, 5), (125, 25), (115, 25)], is_closed=True, flags=16)
    hatch.paths.add_polyline_path([(135, 5), (155, 5), (145, 25)], is_closed=True, flags=16)
    space.add_solid([(0, 50), (20, 50), (0, 60), (20, 65)])  # corners 1, 2, 4, 3
    space.add_solid([(30, 50), (50, 50), (40, 70)])
    space.add_trace([(60, 50), (80, 50), (60, 55), (80, 55)])
    pattern = space.add_hatch(color=4)
    pattern.set_pattern_fill("ANSI31", scale=0.5)
    pattern.paths.add_polyline_path([(100, 50), (120, 50), (110, 60)], is_closed=True)


def _drawing(name, fill, folder, units):
    import ezdxf

    doc = ezdxf.new("R2010", units=units)
    fill(doc.modelspace())
    block = doc.blocks.new("INNER")
    fill(block)
    outer = doc.blocks.new("OUTER", base_point=(5, 5))
    outer.add_blockref("INNER", (10, 0), dxfattribs={"rotation": 30, "xscale": -1.5, "yscale": 1.5})
    msp = doc.modelspace()
    msp.add_blockref("INNER", (0, 200), dxfattribs={"rotation": 45, "xscale": 2, "yscale": 2})
    msp.add_blockref("OUTER", (300, 200), dxfattribs={"rotation": -60, "xscale": 0.5, "yscale": -0.5})
    msp.add_blockref("INNER", (0, 400), dxfattribs={"extrusion": (0, 0, -1)})
    path = os.path.join(folder, name)
    doc.saveas(path)
    return path


def _attributes(folder):
    import ezdxf

    doc = ezdxf.new("R2010", units=4)
    block = doc.blocks.new("MARK")
    block.add_circle((0, 0), 2)
    block.add_attdef("NAME", (3, 0), dxfattribs={"height": 2})
    block.add_attdef("HIDDEN", (3, -3), dxfattribs={"height": 2, "flags": 1})
    for i in range(3):
        ref = doc.modelspace().add_blockref("MARK", (i * 20, 0), dxfattribs={"rotation": 40 * i})
        ref.add_auto_attribs({"NAME": "R%d" % (i + 1), "HIDDEN": "unsichtbar"})
    path = os.path.join(folder, "made__attributes.dxf")
    doc.saveas(path)
    return path


def write_all(folder):
    """Writes the drawings into folder; returns their paths."""
    return [
        _drawing("made__texts.dxf", _texts, folder, 4),
        _drawing("made__texts_inch.dxf", _texts, folder, 1),
        _drawing("made__areas.dxf", _areas, folder, 4),
        _drawing("made__areas_cm.dxf", _areas, folder, 5),
        _attributes(folder),
    ]

