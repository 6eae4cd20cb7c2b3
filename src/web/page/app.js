"use strict";
// The page of Helvanta: live values as the program pushes them (names and units once,
// then only what changed) and the history as Dygraphs charts, all from its own JSON API.
(function () {
  const $ = (id) => document.getElementById(id);
  const charts = {};
  let today = null;        // the program's date (YYYY-MM-DD), from /api/live
  let followToday = true;  // the day chart moves on at midnight until another day is picked
  let shownDay = null;     // the date the day chart shows
  let dayAnswer = null;    // the day shown: its bounds and the rows held so far
  let live = null;         // the whole live object, kept up to date by the changes pushed
  let heardAt = Date.now(); // when the program last sent anything

  async function getJson(url) {
    const response = await fetch(url, { cache: "no-store" });
    const body = await response.json().catch(() => ({}));
    if (!response.ok) throw new Error(body.error || response.status + " " + response.statusText);
    return body;
  }

  function show(id, value) {
    $(id).textContent = value === null || value === undefined || value === "" ? "–" : value;
  }

  const two = (n) => String(n).padStart(2, "0");
  const dateText = (d) => d.getFullYear() + "-" + two(d.getMonth() + 1) + "-" + two(d.getDate());
  const parseDate = (text) => new Date(+text.slice(0, 4), +text.slice(5, 7) - 1, +text.slice(8, 10));

  function renderLive(live) {
    const state = $("connection");
    state.textContent = live.connected ? "connected" : "not connected";
    state.className = "state " + (live.connected ? "on" : "off");
    show("port", live.port);
    show("device", live.device);
    show("last-record", live.last_record && live.last_record.replace("T", " "));
    show("todays-file", live.todays_file);
    show("updated", live.time.replace("T", " "));
    const body = $("values").tBodies[0];
    if (body.rows.length !== live.values.length) {
      body.textContent = "";
      for (const value of live.values) {
        const row = body.insertRow();
        row.dataset.key = value.key;
        row.insertCell().textContent = value.name;
        row.insertCell().className = "value";
        row.insertCell().className = "unit";
      }
    }
    live.values.forEach((value, i) => {
      const cells = body.rows[i].cells;
      cells[1].textContent = value.value === null ? "N/A" : String(value.value);
      cells[2].textContent = value.unit;
    });
  }

  // Draws into the div, or says why not; the div's data-points tells how many points it holds.
  function draw(id, data, options, emptyText) {
    const div = $(id);
    const note = $(id.replace("-chart", "-note"));
    div.dataset.points = String(data.length);
    if (typeof Dygraph === "undefined") {
      note.textContent = "Charts need Dygraphs (Debian package libjs-dygraphs) on the Helvanta machine.";
      return;
    }
    if (data.length === 0) {
      if (charts[id]) charts[id].destroy();
      delete charts[id];
      div.textContent = "";
      note.textContent = emptyText;
      return;
    }
    note.textContent = "";
    if (charts[id]) {
      charts[id].updateOptions(Object.assign({ file: data }, options));
    } else {
      charts[id] = new Dygraph(div, data, options);
    }
  }

  function barPlotter(e) {
    const context = e.drawingContext;
    const points = e.points;
    const bottom = e.dygraph.toDomYCoord(0);
    context.fillStyle = e.color;
    // One day or month wide on the axis, whatever the number of bars.
    const unit = Math.abs(e.dygraph.toDomXCoord(1) - e.dygraph.toDomXCoord(0));
    const width = Math.max(1, Math.floor(unit * 2 / 3));
    for (const p of points) {
      if (p.yval === null || isNaN(p.canvasy)) continue;
      context.fillRect(p.canvasx - width / 2, p.canvasy, width, bottom - p.canvasy);
    }
  }

  function barOptions(label, first, last, xName) {
    return {
      labels: [xName, label],
      plotter: barPlotter,
      dateWindow: [first - 0.5, last + 0.5],
      includeZero: true,
      colors: ["#d9822b"],
      ylabel: "kWh",
      axes: { x: { pixelsPerLabel: 30, valueFormatter: (x) => xName + " " + x } },
    };
  }

  // "2026-10-25T02:00:00+01:00": the offset from UTC in minutes.
  const offsetOf = (text) => (text.slice(-6, -5) === "-" ? -1 : 1) * (+text.slice(-5, -3) * 60 + +text.slice(-2));
  const clockText = (ms) => { const d = new Date(ms); return two(d.getUTCHours()) + ":" + two(d.getUTCMinutes()); };

  // The day is drawn by instants from its start to its end, 23 or 25 hours on the days
  // summer time begins or ends, and labelled in Helvanta's local time, whatever the
  // browser's time zone: ticks at whole local hours (or minutes, zoomed in), the hour
  // repeated in autumn twice.
  function dayOptions(answer) {
    const start = Date.parse(answer.start);
    const change = answer.change ? Date.parse(answer.change) : Infinity;
    const offsets = [offsetOf(answer.start), offsetOf(answer.end)];
    const offsetAt = (ms) => offsets[ms >= change ? 1 : 0];
    const midnight = start + offsets[0] * 60000;  // the local midnight written as UTC
    const local = (x) => clockText(+x + offsetAt(+x) * 60000);
    const offsetText = (m) => "UTC" + (m < 0 ? "-" : "+") + two(Math.floor(Math.abs(m) / 60)) + ":" + two(Math.abs(m) % 60);
    const ticker = (min, max, pixels, opts) => {
      const span = (max - min) / 60000;
      const step = [5, 10, 15, 30, 60, 120, 180, 240, 360, 720].find((m) => pixels * m / span >= opts("pixelsPerLabel")) || 1440;
      const ticks = [];
      for (let m = 0; m <= 1440; m += step) {
        for (const [i, fits] of [[0, (v) => v < change], [1, (v) => v >= change]]) {
          const v = midnight + (m - offsets[i]) * 60000;
          if (fits(v) && v >= min && v <= max && !ticks.some((t) => t.v === v)) ticks.push({ v, label: local(v) });
        }
      }
      return ticks.sort((a, b) => a.v - b.v);
    };
    return {
      labels: ["Time", "AC power (W)", "DC power (W)"], ylabel: "W", colors: ["#d9822b", "#3a7bd5"],
      connectSeparatedPoints: false, legend: "follow", dateWindow: [start, Date.parse(answer.end)],
      axes: { x: {
        ticker, pixelsPerLabel: 60,
        // Where an hour comes twice its offset tells the two apart.
        valueFormatter: (x) => local(x) + (answer.change ? " " + offsetText(offsetAt(x)) : ""),
      } },
    };
  }

  // The instant of a row as a key: its local minute less its offset, unique in the day.
  const rowKey = (r) => r[0] - r[4];

  function drawDay(text, options) {
    // A row's instant: the day's local midnight written as UTC, plus the row's local
    // minute, less its offset.
    const midnight = Date.parse(dayAnswer.start) + offsetOf(dayAnswer.start) * 60000;
    const data = dayAnswer.rows.map((r) => [new Date(midnight + rowKey(r) * 60000), r[1], r[2]]);
    draw("day-chart", data, options, "No history for " + text + ".");
    $("day-chart").dataset.hours = String((Date.parse(dayAnswer.end) - Date.parse(dayAnswer.start)) / 3600000);
  }

  async function loadDay() {
    const text = $("day").value;
    if (!text) return;
    try {
      const answer = await getJson("/api/day?date=" + encodeURIComponent(text));
      if ($("day").value !== text) return;
      dayAnswer = answer;
      const options = dayOptions(answer);
      // Today's chart grows every minute; a zoom into it stays.
      if (text === shownDay && charts["day-chart"]) delete options.dateWindow;
      shownDay = text;
      drawDay(text, options);
    } catch (error) {
      $("day-note").textContent = error.message;
    }
  }

  // Today's chart gains the rows written since those it holds, not the whole day again.
  async function extendDay() {
    const text = $("day").value;
    if (text !== shownDay || !dayAnswer || dayAnswer.rows.length === 0) return loadDay();
    try {
      const since = rowKey(dayAnswer.rows[dayAnswer.rows.length - 1]);
      const answer = await getJson("/api/day?date=" + encodeURIComponent(text) + "&since=" + since);
      if (text !== shownDay || answer.rows.length === 0) return;
      dayAnswer.rows.push(...answer.rows.filter((r) => rowKey(r) > since));
      const options = dayOptions(dayAnswer);
      delete options.dateWindow;
      drawDay(text, options);
    } catch (error) {
      $("day-note").textContent = error.message;
    }
  }

  async function loadMonth() {
    const text = $("month").value;
    if (!text) return;
    try {
      const answer = await getJson("/api/energy?month=" + encodeURIComponent(text));
      const days = new Date(+text.slice(0, 4), +text.slice(5, 7), 0).getDate();
      draw("month-chart", answer.days, barOptions("Energy (kWh)", 1, days, "Day"), "No energy in " + text + ".");
    } catch (error) {
      $("month-note").textContent = error.message;
    }
  }

  async function loadYear() {
    const text = String($("year").value).padStart(4, "0");
    if (!/^\d{4}$/.test(text)) return;
    try {
      const answer = await getJson("/api/energy?year=" + text);
      draw("year-chart", answer.months, barOptions("Energy (kWh)", 1, 12, "Month"), "No energy in " + text + ".");
    } catch (error) {
      $("year-note").textContent = error.message;
    }
  }

  function notReachable() {
    $("connection").textContent = "Helvanta not reachable";
    $("connection").className = "state off";
  }

  function showLive() {
    heardAt = Date.now();
    renderLive(live);
    if (live.date !== today) {
      const first = today === null;
      today = live.date;
      if (first) {
        $("month").value = today.slice(0, 7);
        $("year").value = today.slice(0, 4);
        loadMonth();
        loadYear();
      }
      if (followToday) {
        $("day").value = today;
        loadDay();
      }
    }
  }

  // The program sends the whole object first ("live"), then only what changed; the
  // browser opens the stream again by itself when it breaks.
  function listenLive() {
    const events = new EventSource("/api/events");
    events.addEventListener("live", (event) => {
      live = JSON.parse(event.data);
      showLive();
    });
    events.onmessage = (event) => {
      if (!live) return;
      const changes = JSON.parse(event.data);
      for (const [name, value] of Object.entries(changes)) if (name !== "values") live[name] = value;
      const values = changes.values || {};
      for (const value of live.values) if (value.key in values) value.value = values[value.key];
      showLive();
    };
    events.addEventListener("error", notReachable);
  }

  function pickDay(text) {
    $("day").value = text;
    followToday = text === today;
    loadDay();
  }

  function stepDay(days) {
    const day = parseDate($("day").value || today);
    day.setDate(day.getDate() + days);
    pickDay(dateText(day));
  }

  $("day").addEventListener("change", () => pickDay($("day").value));
  $("day-back").addEventListener("click", () => stepDay(-1));
  $("day-next").addEventListener("click", () => stepDay(1));
  $("day-today").addEventListener("click", () => pickDay(today));
  $("month").addEventListener("change", loadMonth);
  $("year").addEventListener("change", loadYear);

  // A day named in the address (/#2026-10-25) is shown instead of today.
  const linked = /^#(\d{4}-\d{2}-\d{2})$/.exec(location.hash);
  if (linked) pickDay(linked[1]);
  listenLive();
  // The program sends every second; silence this long means it is gone.
  setInterval(() => { if (Date.now() - heardAt > 12000) notReachable(); }, 3000);
  // Today's curve and the month's bars grow by a minute's row at a time.
  setInterval(() => { if ($("day").value === today) extendDay(); }, 60000);
  setInterval(() => { loadMonth(); loadYear(); }, 300000);
})();
