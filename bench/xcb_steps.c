/* The reference for a sweep step in a real window: a plain XCB client that does the
 * program's job and nothing more, written as one would write it. It opens a window of
 * the same drawing area and puts on screen, step by step, the very pixels the program's
 * drawing sets: each step that set pixels sends them (PolyPoint), the connection is
 * flushed at most once per display frame (60 Hz) and at the end, since nobody sees
 * more often than that, and the window system's events are looked for at every step:
 *
 *   xcb-traced the program's own tracing (linked in, tracingBridge.h) runs: the job;
 *   xcb-frame  the pixels of each step, recorded from the tracing beforehand, are
 *              replayed the same way: the X side of the job alone.
 *
 *   xcb_steps SITE-FILE WIDTHxHEIGHT [REPETITIONS]
 *
 * The ways run in turn, repetition after repetition, on one window. Prints one line per
 * way, "way median-us-per-step min max steps cpu-us-per-step", like bench_yield. Fails
 * unless the window, read back at the end, shows exactly the pixels of the file in
 * white.
 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <xcb/xcb.h>

#include "tracingBridge.h"

enum { TRACED, REPLAYED, WAYS };
static const char* const WAY_NAMES[WAYS] = {"xcb-traced", "xcb-frame"};
static const int64_t FRAME_NS = 1000000000 / 60;

struct Steps {
    int width;
    int height;
    long count; /* steps; there are count + 1 runs of points: before the first, after each */
    long* first; /* the points of run k are points[first[k] .. first[k + 1]) */
    xcb_point_t* points;
    long stepCapacity;
    long pointCapacity;
};

static int64_t clock_ns(clockid_t clock)
{
    struct timespec t;
    clock_gettime(clock, &t);
    return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec;
}

static int64_t now_ns(void) { return clock_ns(CLOCK_MONOTONIC); }

static void fail(const char* message)
{
    fprintf(stderr, "xcb_steps: %s\n", message);
    exit(1);
}

/* Recording the tracing: the points of each step. */
static void record_pixel(void* context, int x, int y)
{
    struct Steps* s = context;
    const long used = s->first[s->count + 1];
    if (used == s->pointCapacity) {
        s->pointCapacity *= 2;
        s->points = realloc(s->points, sizeof(xcb_point_t) * (size_t)s->pointCapacity);
    }
    s->points[used].x = (int16_t)x;
    s->points[used].y = (int16_t)y;
    s->first[s->count + 1] = used + 1;
}

static int record_step(void* context)
{
    struct Steps* s = context;
    if (s->count + 2 == s->stepCapacity) {
        s->stepCapacity *= 2;
        s->first = realloc(s->first, sizeof(long) * (size_t)s->stepCapacity);
    }
    ++s->count;
    s->first[s->count + 1] = s->first[s->count];
    return 1;
}

static struct Steps record_steps(struct TracedDiagram* diagram, int width, int height)
{
    struct Steps s = {width, height, 0, NULL, NULL, 1 << 16, 1 << 16};
    s.first = malloc(sizeof(long) * (size_t)s.stepCapacity);
    s.points = malloc(sizeof(xcb_point_t) * (size_t)s.pointCapacity);
    s.first[0] = 0;
    s.first[1] = 0;
    traced_diagram_draw(diagram, &s, record_pixel, record_step);
    return s;
}

static xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, (uint16_t)strlen(name), name), NULL);
    const xcb_atom_t result = reply != NULL ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return result;
}

static void sync_with_server(xcb_connection_t* c) { free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), NULL)); }

struct Window {
    xcb_connection_t* c;
    xcb_window_t id;
    xcb_gcontext_t white;
    xcb_atom_t deleteWindow;
    int closed;
};

/* Handles whatever events have come; a close request closes. */
static void look_for_events(struct Window* w)
{
    xcb_generic_event_t* event;
    while ((event = xcb_poll_for_event(w->c)) != NULL) {
        if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE &&
            ((xcb_client_message_event_t*)event)->data.data32[0] == w->deleteWindow) {
            w->closed = 1;
        }
        free(event);
    }
}

static struct Window open_window(int width, int height)
{
    struct Window w = {xcb_connect(NULL, NULL), 0, 0, 0, 0};
    if (xcb_connection_has_error(w.c)) {
        fail("no X server");
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(w.c)).data;
    w.id = xcb_generate_id(w.c);
    const uint32_t values[] = {screen->black_pixel, XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(w.c, XCB_COPY_FROM_PARENT, w.id, screen->root, 0, 0, (uint16_t)width, (uint16_t)height,
                      0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const char title[] = "xcb_steps";
    xcb_change_property(w.c, XCB_PROP_MODE_REPLACE, w.id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        sizeof title - 1, title);
    w.deleteWindow = atom(w.c, "WM_DELETE_WINDOW");
    xcb_change_property(w.c, XCB_PROP_MODE_REPLACE, w.id, atom(w.c, "WM_PROTOCOLS"), XCB_ATOM_ATOM, 32, 1,
                        &w.deleteWindow);
    w.white = xcb_generate_id(w.c);
    const uint32_t foreground[] = {screen->white_pixel, 0};
    xcb_create_gc(w.c, w.white, w.id, XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, foreground);
    xcb_map_window(w.c, w.id);
    xcb_flush(w.c);
    xcb_generic_event_t* event;
    while ((event = xcb_wait_for_event(w.c)) != NULL) {
        const int exposed = (event->response_type & 0x7F) == XCB_EXPOSE;
        free(event);
        if (exposed) {
            return w;
        }
    }
    fail("the window never came on screen");
    return w;
}

struct Timing {
    double perStep; /* microseconds */
    double processorPerStep;
};

/* Flushes the connection when a display frame has passed since the last flush. */
static void flush_per_frame(struct Window* w, int64_t* lastFlush)
{
    const int64_t t = now_ns();
    if (t - *lastFlush >= FRAME_NS) {
        xcb_flush(w->c);
        *lastFlush = t;
    }
}

/* The traced way: the points of the current step, sent at the next. */
struct Live {
    struct Window* window;
    int64_t lastFlush;
    xcb_point_t points[4096];
    uint32_t count;
};

static void send_points(struct Live* live)
{
    if (live->count > 0) {
        xcb_poly_point(live->window->c, XCB_COORD_MODE_ORIGIN, live->window->id, live->window->white, live->count,
                       live->points);
        flush_per_frame(live->window, &live->lastFlush);
        live->count = 0;
    }
}

static void live_pixel(void* context, int x, int y)
{
    struct Live* live = context;
    if (live->count == sizeof live->points / sizeof live->points[0]) {
        send_points(live);
    }
    live->points[live->count].x = (int16_t)x;
    live->points[live->count].y = (int16_t)y;
    ++live->count;
}

static int live_step(void* context)
{
    struct Live* live = context;
    send_points(live);
    look_for_events(live->window);
    return !live->window->closed;
}

/* One whole drawing. */
static struct Timing draw_once(struct Window* w, struct TracedDiagram* diagram, const struct Steps* s, int way)
{
    xcb_clear_area(w->c, 0, w->id, 0, 0, 0, 0);
    sync_with_server(w->c);
    const int64_t processorBegin = clock_ns(CLOCK_PROCESS_CPUTIME_ID);
    const int64_t begin = now_ns();
    int64_t lastFlush = 0;
    if (way == TRACED) {
        static struct Live live;
        live.window = w;
        live.lastFlush = 0;
        live.count = 0;
        traced_diagram_draw(diagram, &live, live_pixel, live_step);
        send_points(&live);
        xcb_flush(w->c);
    }
    for (long k = 0; way != TRACED && k < s->count; ++k) {
        const long n = s->first[k + 1] - s->first[k];
        if (n > 0) {
            xcb_poly_point(w->c, XCB_COORD_MODE_ORIGIN, w->id, w->white, (uint32_t)n, s->points + s->first[k]);
            flush_per_frame(w, &lastFlush);
        }
        look_for_events(w);
        if (w->closed) {
            fail("the window was closed");
        }
    }
    const long n = s->first[s->count + 1] - s->first[s->count];
    if (way != TRACED && n > 0) {
        xcb_poly_point(w->c, XCB_COORD_MODE_ORIGIN, w->id, w->white, (uint32_t)n, s->points + s->first[s->count]);
    }
    xcb_flush(w->c);
    const int64_t end = now_ns();
    const struct Timing timing = {(double)(end - begin) / 1000.0 / (double)s->count,
                                  (double)(clock_ns(CLOCK_PROCESS_CPUTIME_ID) - processorBegin) / 1000.0 /
                                      (double)s->count};
    return timing;
}

/* Whether the window shows the pixels of the file in white and all else in black. */
static int shows_the_steps(struct Window* w, const struct Steps* s)
{
    sync_with_server(w->c);
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        w->c, xcb_get_image(w->c, XCB_IMAGE_FORMAT_Z_PIXMAP, w->id, 0, 0, (uint16_t)s->width, (uint16_t)s->height, ~0U),
        NULL);
    if (image == NULL || image->depth != 24 ||
        xcb_get_image_data_length(image) < 4 * s->width * s->height) {
        free(image);
        return 0;
    }
    const uint8_t* data = xcb_get_image_data(image);
    unsigned char* expected = calloc((size_t)s->width * (size_t)s->height, 1);
    for (long p = 0; p < s->first[s->count + 1]; ++p) {
        expected[(size_t)s->points[p].y * (size_t)s->width + (size_t)s->points[p].x] = 1;
    }
    int same = 1;
    for (size_t p = 0; p < (size_t)s->width * (size_t)s->height; ++p) {
        uint32_t pixel;
        memcpy(&pixel, data + 4 * p, 4);
        if (((pixel & 0xFFFFFFU) == 0xFFFFFFU) != (expected[p] != 0)) {
            same = 0;
            break;
        }
    }
    free(expected);
    free(image);
    return same;
}

static int by_value(const void* a, const void* b)
{
    const double x = *(const double*)a;
    const double y = *(const double*)b;
    return (x > y) - (x < y);
}

/* Sorts the values and returns their median. */
static double median(double* values, int n)
{
    qsort(values, (size_t)n, sizeof(double), by_value);
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int main(int argc, char* argv[])
{
    int width = 0;
    int height = 0;
    if (argc < 3 || sscanf(argv[2], "%dx%d", &width, &height) != 2 || width < 1 || height < 1 || width > 32767 ||
        height > 32767) {
        fprintf(stderr, "usage: xcb_steps SITE-FILE WIDTHxHEIGHT [REPETITIONS]\n");
        return 2;
    }
    struct TracedDiagram* diagram = traced_diagram_load(argv[1], width, height);
    if (diagram == NULL) {
        fail("cannot read the site file");
    }
    const struct Steps steps = record_steps(diagram, width, height);
    const int repetitions = argc > 3 && atoi(argv[3]) > 0 ? atoi(argv[3]) : 15;
    struct Window window = open_window(steps.width, steps.height);

    double* perStep[WAYS];
    double* processorPerStep[WAYS];
    for (int way = 0; way < WAYS; ++way) {
        perStep[way] = malloc(sizeof(double) * (size_t)repetitions);
        processorPerStep[way] = malloc(sizeof(double) * (size_t)repetitions);
        draw_once(&window, diagram, &steps, way); /* untimed: caches and the server warm */
    }
    for (int r = 0; r < repetitions; ++r) {
        for (int k = 0; k < WAYS; ++k) {
            const int way = (k + r) % WAYS;
            const struct Timing timing = draw_once(&window, diagram, &steps, way);
            perStep[way][r] = timing.perStep;
            processorPerStep[way][r] = timing.processorPerStep;
        }
    }
    if (!shows_the_steps(&window, &steps)) {
        fail("the window does not show the pixels of the step file");
    }
    for (int way = 0; way < WAYS; ++way) {
        const double wall = median(perStep[way], repetitions);
        printf("%s %.3f %.3f %.3f %ld %.3f\n", WAY_NAMES[way], wall, perStep[way][0], perStep[way][repetitions - 1],
               steps.count, median(processorPerStep[way], repetitions));
    }
    xcb_disconnect(window.c);
    traced_diagram_free(diagram);
    return 0;
}
