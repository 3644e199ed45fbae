"""Clicks and screen reads straight through libX11 and the XTEST extension,
so that the time from a click to a change on the screen is measured to a
millisecond or two: no xdotool process to start, no whole-screen xwd dump.

    probe = ScreenProbe()                  # $DISPLAY
    before = probe.grab((x, y, w, h))
    ms = probe.click_and_wait(cx, cy, (x, y, w, h))   # None if nothing changed
"""
import ctypes
import ctypes.util
import time


class _XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, as far as the data.
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
    ]


_ZPIXMAP = 2
_ALL_PLANES = ctypes.c_ulong(0xFFFFFFFF)


class ScreenProbe:
    def __init__(self):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.POINTER(_XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x.XWarpPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                        ctypes.c_uint, ctypes.c_uint, ctypes.c_int, ctypes.c_int]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.display = self.x.XOpenDisplay(None)
        if not self.display:
            raise RuntimeError("cannot open the display")
        self.root = self.x.XDefaultRootWindow(self.display)

    def grab(self, box):
        x, y, w, h = box
        image = self.x.XGetImage(self.display, self.root, x, y, w, h, _ALL_PLANES, _ZPIXMAP)
        if not image:
            return b""
        img = image.contents
        data = ctypes.string_at(img.data, img.bytes_per_line * img.height)
        # XDestroyImage frees the data and the structure.
        self.x.XFree(ctypes.c_void_p(img.data))
        self.x.XFree(ctypes.cast(image, ctypes.c_void_p))
        return data

    def move(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.display, -1, x, y, 0)
        self.x.XSync(self.display, 0)

    def click(self, x, y):
        self.move(x, y)
        self.xtst.XTestFakeButtonEvent(self.display, 1, 1, 0)
        self.xtst.XTestFakeButtonEvent(self.display, 1, 0, 0)
        self.x.XFlush(self.display)

    def click_and_wait(self, x, y, box, longest=30.0, settle=0.5):
        """Clicks at (x, y) and reads box until it has changed and then held
        still for settle seconds: the seconds from the release to the last
        change (what the user is left looking at), or None."""
        before = self.grab(box)
        self.move(x, y)
        time.sleep(0.05)
        self.xtst.XTestFakeButtonEvent(self.display, 1, 1, 0)
        self.xtst.XTestFakeButtonEvent(self.display, 1, 0, 0)
        self.x.XFlush(self.display)
        start = time.monotonic()
        last, last_change = before, None
        while time.monotonic() - start < longest:
            now = self.grab(box)
            if now != last:
                last, last_change = now, time.monotonic()
            elif last_change is not None and time.monotonic() - last_change >= settle:
                break
            time.sleep(0.001)
        if last_change is None or last == before:
            return None
        return last_change - start
