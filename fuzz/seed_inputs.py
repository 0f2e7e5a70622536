#!/usr/bin/python3
"""Writes generated seed inputs for the fuzz targets into OUT/<target>/.

Drawings come from ezdxf (every entity kind the import reads, and some it
passes over, in the R12 and R2000 formats); programs and machine files are
written here. Each DXF seed is written with several first bytes, since the
target spends its first byte on the CAD-writer variants and settings.
Run it with the interpreter that has ezdxf (Debian's /usr/bin/python3 with
python3-ezdxf); without ezdxf it stops with an error rather than leave the
drawings out."""
import math
import os
import sys

try:
    import ezdxf
except ImportError:
    sys.exit(f"seed_inputs.py: {sys.executable} has no ezdxf (python3-ezdxf); run it with /usr/bin/python3")

out = sys.argv[1]


def put(target, name, data):
    os.makedirs(os.path.join(out, target), exist_ok=True)
    with open(os.path.join(out, target, name), "wb") as f:
        f.write(data)


def drawings():
    import io
    for version in ("R12", "R2000"):
        doc = ezdxf.new(version)
        msp = doc.modelspace()
        a = {"layer": "0"}
        msp.add_line((0, 0), (10, 0), dxfattribs=a)
        msp.add_line((10, 0), (10, 10, 2), dxfattribs=a)
        msp.add_arc((10, 15), 5, 270, 90, dxfattribs=a)
        msp.add_circle((30, 30), 4, dxfattribs=a)
        msp.add_arc((50, 0), 3, 0, 180, dxfattribs={"layer": "0", "extrusion": (0, 0, -1)})
        msp.add_polyline2d([(0, 20), (5, 25, 0.5), (10, 20)], format="xyb", dxfattribs=a)
        msp.add_solid([(60, 0), (70, 0), (60, 10)], dxfattribs=a)
        msp.add_trace([(80, 0), (90, 0), (80, 10), (90, 10)], dxfattribs=a)
        msp.add_text("LINE", dxfattribs=a)
        if version != "R12":
            msp.add_lwpolyline([(0, 40, 0, 0, 0.4), (10, 40, 0, 0, 0), (10, 50, 0, 0, -1)], close=True, dxfattribs=a)
            msp.add_ellipse((40, 60), major_axis=(8, 0), ratio=0.5, start_param=0, end_param=math.pi, dxfattribs=a)
            msp.add_spline([(0, 0), (5, 5), (10, 0)], dxfattribs=a)
        stream = io.StringIO()
        doc.write(stream)
        text = stream.getvalue().encode("cp1252", "replace")
        for switch in (0x00, 0x80, 0x01, 0x02, 0x04, 0x08, 0x30):
            put("dxf_import_fuzz", f"ezdxf_{version}_{switch:02x}.dxf", bytes([switch]) + text)
            put("dxf_import_fuzz", f"ezdxf_{version}_{switch:02x}_crlf.dxf", bytes([switch]) + text.replace(b"\n", b"\r\n"))


def programs():
    mill = b"%\nO1000\nG21 G17 G40 G90\nG00 X0 Y0 Z5\nM03\nG01 Z-1 F100\nG01 X10 Y0\nG02 X20 Y10 I0 J10\n" \
           b"G03 X10 Y20 R10\nG01 X0 Y20 (side)\nG02 X0 Y20 I5 J0\nG91 G01 X5 Y5\nG90\nG18 G02 X0 Z-2 I1 K-1\n" \
           b"G19 G03 Y0 Z0 J-1 K1\nM05\nM30\n"
    for switch in (0x00, 0x01, 0x02, 0x04, 0x0f):
        put("gcode_program_fuzz", f"mill_{switch:02x}.nc", bytes([switch]) + mill)
    put("gcode_program_fuzz", "lathe.nc", b"\x04G18\nG00 X40 Z2\nM03\nG01 X20 Z0\nG02 X28 Z-4 I0 K-4\nG03 X40 Z-10 R6\nM05\n")
    put("gcode_program_fuzz", "crlf.nc", b"\x00N10 G00 X1.5Y-2.25\r\nN20 G01X1e3 Y.5\r\nN30 G02 X0 Y0 I-1. J0.\r\n")


def machine_files():
    put("ini_fuzz", "small.ini", b"[Labels]\nLine=G01\nArc Cw=G02\n[Baud]\nBaud=9600\n[Dxf]\nLayer=*\nXscale=2.5\n"
                                 b"[Options]\nLinenum=10\n[Font]\nName=Courier\nSize=99\n")


drawings()
programs()
machine_files()
