/* The program's own tracing for the raw XCB reference (xcb_steps), which is written in
 * C: a diagram drawn without a window system, reporting every pixel it sets in the
 * drawing area and every sweep step. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

struct TracedDiagram;

/* The diagram of the sites of a site file in a window of the given drawing area (and the
 * design frame, as the program's window reports it); NULL when the file cannot be read. */
struct TracedDiagram* traced_diagram_load(const char* siteFile, int width, int height);
void traced_diagram_free(struct TracedDiagram* diagram);

/* Draws the diagram once: pixel(context, x, y) for every pixel set in the drawing area
 * once the sites are placed, step(context) at every sweep step, where a 0 ends the
 * drawing. Returns the number of steps. */
long traced_diagram_draw(struct TracedDiagram* diagram, void* context, void (*pixel)(void*, int, int),
                         int (*step)(void*));

#ifdef __cplusplus
}
#endif
