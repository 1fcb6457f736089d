-- The benchmark scenes on LOVE: N moving sprites (one texture or two alternating,
-- 2x2 or 32x32) or a screen of text, 800x600, alpha blending on, fixed seed and frame
-- count, no vsync (conf.lua). A run loop of our own draws, presents and calls glFinish
-- (LuaJIT FFI) after each frame, then prints one RESULT line like the other programs.
-- Usage: love bench/love --scene sprites --size 32 --textures 1 --count N --frames F
local ffi = require("ffi")
ffi.cdef [[
typedef struct { long tv_sec; long tv_nsec; } bench_timespec;
int clock_gettime(int clk, bench_timespec *ts);
void glFinish(void);
const unsigned char *glGetString(unsigned int name);
]]

local CLOCK_REALTIME, CLOCK_MONOTONIC, CLOCK_PROCESS_CPUTIME_ID = 0, 1, 2
local W, H = 800, 600

local function now(clk)
    local ts = ffi.new("bench_timespec")
    ffi.C.clock_gettime(clk, ts)
    return tonumber(ts.tv_sec) + tonumber(ts.tv_nsec) * 1e-9
end

local t0env = os.getenv("BENCH_T0_NS")
local process_start = t0env and tonumber(t0env) * 1e-9 or now(CLOCK_REALTIME)

local gl = nil
for _, name in ipairs({"libGL.so.1", "GL"}) do
    local ok, lib = pcall(ffi.load, name)
    if ok then gl = lib; break end
end

local function peak_rss_kb()
    local f = io.open("/proc/self/status", "r")
    if not f then return -1 end
    for line in f:lines() do
        local v = line:match("^VmHWM:%s+(%d+)")
        if v then f:close(); return tonumber(v) end
    end
    f:close()
    return -1
end

-- The same generator as the C++ programs (LCG, top 24 bits).
local rng = 1
local function rand()
    rng = (rng * 1664525 + 1013904223) % 4294967296
    return math.floor(rng / 256)
end
local function rand_unit()
    return (rand() % 65536) / 65536
end

local opt = {scene = "sprites", size = 32, textures = 1, count = 1000, frames = 30, warmup = 3, seed = 12345}

local function sprite_image(s, which)
    local d = love.image.newImageData(s, s)
    local c = (s - 1) * 0.5
    for y = 0, s - 1 do
        for x = 0, s - 1 do
            local dx, dy = (x - c) / (c + 0.5), (y - c) / (c + 0.5)
            local dd = 1 - (dx * dx + dy * dy)
            local a
            if s <= 2 then a = 192 elseif dd <= 0 then a = 32 else a = 32 + math.floor(dd * 223) end
            local g = 128 + math.floor(x * 127 / (s > 1 and s - 1 or 1))
            d:setPixel(x, y, (which == 1 and 64 or 255) / 255, g / 255, (which == 1 and 255 or 64) / 255, a / 255)
        end
    end
    local img = love.graphics.newImage(d)
    img:setFilter("nearest", "nearest")
    return img
end

-- Glyphs with an image (codes 33..126): each is one quad in every program.
local function visible_glyphs(str)
    local n = 0
    for i = 1, #str do
        local c = str:byte(i)
        if c > 32 and c < 127 then n = n + 1 end
    end
    return n
end

-- The generated 7x11 glyphs of the other programs (a bit pattern per code) as an image
-- font: a strip of 95 glyphs 7 pixels wide, each after a separator column, 1 pixel of
-- extra spacing so that the advance is 8.
local function glyph_font()
    local gw, gh, count = 7, 11, 95
    local d = love.image.newImageData(1 + count * (gw + 1), gh)
    local chars = {}
    for i = 0, count - 1 do
        local code = 32 + i
        chars[#chars + 1] = string.char(code)
        local x0 = 1 + i * (gw + 1)
        for y = 0, gh - 1 do d:setPixel(x0 - 1, y, 1, 0, 1, 1) end
        local bits = (code * 2654435761) % 4294967296
        for p = 0, gw * gh - 1 do
            local on = code > 32 and math.floor(bits / 2 ^ (p % 29)) % 2 == 1
            d:setPixel(x0 + p % gw, math.floor(p / gw), 1, 1, 1, on and 1 or 0)
        end
    end
    local f = love.graphics.newImageFont(d, table.concat(chars), 1)
    f:setFilter("nearest", "nearest")
    return f
end

function love.run()
    local args = arg or {}
    local i = 1
    while i <= #args do
        local k, v = args[i], args[i + 1]
        if k == "--scene" then opt.scene = v; i = i + 2
        elseif k == "--size" then opt.size = tonumber(v); i = i + 2
        elseif k == "--textures" then opt.textures = tonumber(v); i = i + 2
        elseif k == "--count" then opt.count = tonumber(v); i = i + 2
        elseif k == "--frames" then opt.frames = tonumber(v); i = i + 2
        elseif k == "--warmup" then opt.warmup = tonumber(v); i = i + 2
        elseif k == "--seed" then opt.seed = tonumber(v); i = i + 2
        else i = i + 1 end
    end
    rng = opt.seed

    local size, n = opt.size, opt.count
    local tex, xs, ys, vxs, vys = {}, {}, {}, {}, {}
    local lines, font = {}, nil
    if opt.scene == "sprites" then
        tex[0] = sprite_image(size, 0)
        tex[1] = sprite_image(size, 1)
        for s = 1, n do
            xs[s] = rand_unit() * (W - size)
            ys[s] = rand_unit() * (H - size)
            vxs[s] = (rand_unit() - 0.5) * 4
            vys[s] = (rand_unit() - 0.5) * 4
        end
    else
        -- The same font as the other programs: 7x11 glyph images of codes 33..126 (plus a
        -- blank space), advance 8, as a LOVE image font; 50 lines of 100 characters.
        font = glyph_font()
        for l = 1, H / 12 do
            local t = {}
            for c = 1, W / 8 do t[c] = string.char(33 + rand() % 94) end
            lines[l] = table.concat(t)
        end
    end
    love.graphics.setBlendMode("alpha")
    local max_x, max_y = W - size, H - size
    local frame_no = 0
    local lg = love.graphics
    local last_draws, last_glyphs = 0, 0

    local function frame()
        love.event.pump()
        for _ in love.event.poll() do end
        lg.origin()
        lg.clear(26 / 255, 26 / 255, 38 / 255, 1)
        if opt.scene == "sprites" then
            local two = opt.textures == 2
            local t0, t1 = tex[0], tex[1]
            for s = 1, n do
                local x, y = xs[s] + vxs[s], ys[s] + vys[s]
                if x < 0 or x > max_x then vxs[s] = -vxs[s]; x = x + 2 * vxs[s] end
                if y < 0 or y > max_y then vys[s] = -vys[s]; y = y + 2 * vys[s] end
                xs[s], ys[s] = x, y
                lg.draw((two and s % 2 == 0) and t1 or t0, x, y)
            end
        else
            lg.setFont(font)
            local first = string.format("frame %06d %s", frame_no, lines[1]:sub(14))
            lg.print(first, 0, 0)
            last_glyphs = visible_glyphs(first)
            for l = 2, #lines do
                lg.print(lines[l], 0, (l - 1) * 12)
                last_glyphs = last_glyphs + visible_glyphs(lines[l])
            end
        end
        last_draws = lg.getStats().drawcalls
        lg.present()
        if gl then gl.glFinish() end
        frame_no = frame_no + 1
    end

    return function()
        frame()
        local startup = now(CLOCK_REALTIME) - process_start
        for _ = 1, opt.warmup do frame() end
        local t_start, cpu_start = now(CLOCK_MONOTONIC), now(CLOCK_PROCESS_CPUTIME_ID)
        local draws = 0
        local glyphs = 0
        for _ = 1, opt.frames do
            frame()
            draws = draws + last_draws
            glyphs = glyphs + last_glyphs
        end
        local elapsed = now(CLOCK_MONOTONIC) - t_start
        local cpu = now(CLOCK_PROCESS_CPUTIME_ID) - cpu_start
        local fps = opt.frames / elapsed
        local items = opt.scene == "sprites" and n or math.floor(glyphs / opt.frames + 0.5)
        local renderer = gl and ffi.string(gl.glGetString(0x1F01)) or select(2, lg.getRendererInfo())
        io.write(string.format(
            "RESULT prog=love backend=xvfb scene=%s size=%d textures=%d n=%d frames=%d fps=%.3f items_per_s=%.0f " ..
            "draws_per_frame=%.2f swap_interval=%d startup_ms=%.1f peak_rss_kb=%d cpu_per_frame_ms=%.3f " ..
            "renderer=\"%s\" sync=%s\n",
            opt.scene, size, opt.textures, items, opt.frames, fps, fps * items, draws / opt.frames,
            love.window.getVSync(), startup * 1000,
            peak_rss_kb(), cpu * 1000 / opt.frames, renderer, gl and "glFinish" or "none"))
        io.stdout:flush()
        return 0
    end
end
