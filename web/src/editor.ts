// The window's pages built from the core's list of controls: one tab per
// page, one group box per group, every control labelled. Each value is
// committed through the core on Enter or on leaving the control; a refused
// value shows the window's message beside the control and the shown value
// comes back.

import type { CommitAnswer, Control, ControlState, NumberRange, Session } from "./core";

type Input = HTMLInputElement | HTMLSelectElement | HTMLOutputElement;

interface Shown {
  control: Control;
  input: Input;
  items: HTMLInputElement[]; // the check boxes of a set
  message: HTMLElement;
  value: string;
  range?: NumberRange;
}

export class Editor {
  // The controls of a page are made when the page is first shown: the
  // first page is ready sooner.
  private shown: (Shown | undefined)[] = [];
  private unbuilt = new Map<string, number[]>();
  private pages = new Map<string, HTMLElement>();
  private tabs = new Map<string, HTMLButtonElement>();
  private current = "";
  onChange: () => void = () => {};
  onMessages: (lines: string[]) => void = () => {};
  private controls: Control[] = [];

  constructor(
    private session: Session,
    controls: Control[],
    tabList: HTMLElement,
    pageHost: HTMLElement,
  ) {
    controls.forEach((control, index) => {
      this.pageFor(control.page, tabList, pageHost);
      const list = this.unbuilt.get(control.page) ?? [];
      list.push(index);
      this.unbuilt.set(control.page, list);
    });
    this.controls = controls;
    this.show(controls[0].page);
  }

  setSession(session: Session): void {
    this.session = session;
  }

  // Every value, state and list again, as after opening a code-plug.
  refreshAll(): void {
    for (const page of this.pages.keys())
      if (!this.unbuilt.has(page)) this.apply(JSON.parse(this.session.state(page)) as ControlState[]);
  }

  show(page: string): void {
    this.current = page;
    const section = this.pages.get(page) as HTMLElement;
    for (const index of this.unbuilt.get(page) ?? []) this.add(index, this.controls[index], section);
    this.unbuilt.delete(page);
    for (const [name, section] of this.pages) section.hidden = name !== page;
    for (const [name, tab] of this.tabs) {
      tab.setAttribute("aria-selected", String(name === page));
      tab.tabIndex = name === page ? 0 : -1;
    }
    this.apply(JSON.parse(this.session.state(page)) as ControlState[]);
  }

  get page(): string {
    return this.current;
  }

  // The control of a field, for the tests and for the page's own links.
  inputOf(name: string): Input | undefined {
    return this.shown.find((s) => s?.control.name === name)?.input;
  }

  private add(index: number, control: Control, page: HTMLElement): void {
    const box = this.groupFor(page, control.group);
    const row = document.createElement("div");
    row.className = "field";
    const id = `f${index}`;
    const label = document.createElement("label");
    label.textContent = control.label;
    label.htmlFor = id;
    const message = document.createElement("span");
    message.className = "refusal";
    message.id = `${id}-msg`;
    message.setAttribute("role", "alert");
    const items: HTMLInputElement[] = [];
    let input: Input;
    switch (control.kind) {
      case "list": {
        const select = document.createElement("select");
        select.addEventListener("change", () => this.commit(index, select.value));
        // Its entries' own enabling is worked out as the list is opened.
        select.addEventListener("pointerdown", () => this.showEntriesEnabling(index));
        select.addEventListener("focus", () => this.showEntriesEnabling(index));
        input = select;
        break;
      }
      case "check": {
        const check = document.createElement("input");
        check.type = "checkbox";
        check.addEventListener("change", () => this.commit(index, check.checked ? "on" : "off"));
        input = check;
        row.classList.add("check");
        break;
      }
      case "shown": {
        const output = document.createElement("output");
        input = output;
        break;
      }
      default: {
        const text = document.createElement("input");
        text.type = "text";
        text.autocomplete = "off";
        text.spellcheck = false;
        if (control.kind === "text") text.maxLength = control.width;
        else text.inputMode = "decimal";
        text.addEventListener("keydown", (e) => {
          if (e.key === "Enter") this.commit(index, text.value);
          if (e.key === "Escape") this.putBack(index);
          if (e.key === "ArrowUp" || e.key === "ArrowDown") this.stepBy(index, e.key === "ArrowUp" ? 1 : -1, e);
        });
        text.addEventListener("change", () => this.commit(index, text.value));
        input = text;
      }
    }
    input.id = id;
    input.setAttribute("aria-describedby", message.id);
    input.dataset.field = control.name;
    row.append(label, input);
    if (control.kind === "set") {
      // The items of a set as check boxes; the text box keeps the "{0,2}" form.
      const set = document.createElement("span");
      set.className = "items";
      set.setAttribute("role", "group");
      set.setAttribute("aria-label", `${control.label} items`);
      for (let bit = 0; bit < control.width; bit++) {
        const item = document.createElement("input");
        item.type = "checkbox";
        item.setAttribute("aria-label", `${control.label} ${bit + 1}`);
        item.title = String(bit + 1);
        item.addEventListener("change", () => this.commit(index, setText(items)));
        items.push(item);
        set.append(item);
      }
      row.append(set);
    }
    row.append(message);
    box.append(row);
    this.shown[index] = { control, input, items, message, value: "" };
  }

  private pageFor(name: string, tabList: HTMLElement, host: HTMLElement): HTMLElement {
    let page = this.pages.get(name);
    if (page) return page;
    const n = this.pages.size;
    const tab = document.createElement("button");
    tab.type = "button";
    tab.id = `tab${n}`;
    tab.setAttribute("role", "tab");
    tab.setAttribute("aria-controls", `page${n}`);
    tab.textContent = name;
    tab.addEventListener("click", () => this.show(name));
    tab.addEventListener("keydown", (e) => this.moveTab(e, name));
    tabList.append(tab);
    page = document.createElement("section");
    page.id = `page${n}`;
    page.className = "page";
    page.setAttribute("role", "tabpanel");
    page.setAttribute("aria-labelledby", tab.id);
    host.append(page);
    this.pages.set(name, page);
    this.tabs.set(name, tab);
    return page;
  }

  private moveTab(e: KeyboardEvent, name: string): void {
    if (e.key !== "ArrowRight" && e.key !== "ArrowLeft") return;
    const names = [...this.tabs.keys()];
    const next = names[(names.indexOf(name) + (e.key === "ArrowRight" ? 1 : names.length - 1)) % names.length];
    this.show(next);
    this.tabs.get(next)?.focus();
  }

  private groupFor(page: HTMLElement, group: string): HTMLElement {
    for (const box of page.children)
      if ((box as HTMLElement).dataset.group === group) return box as HTMLElement;
    const box = document.createElement("fieldset");
    box.dataset.group = group;
    const legend = document.createElement("legend");
    legend.textContent = group;
    box.append(legend);
    page.append(box);
    return box;
  }

  commit(index: number, text: string): CommitAnswer {
    const s = this.shown[index] as Shown;
    if (text === s.value) {
      s.message.textContent = "";
      return {};
    }
    const answer = JSON.parse(this.session.commit(s.control.name, text)) as CommitAnswer;
    if (answer.refusal !== undefined) {
      s.message.textContent = answer.refusal;
      s.input.setAttribute("aria-invalid", "true");
      this.putBack(index);
      return answer;
    }
    s.message.textContent = "";
    s.input.removeAttribute("aria-invalid");
    this.apply(answer.changed ?? []);
    if (answer.messages?.length) this.onMessages(answer.messages);
    this.onChange();
    return answer;
  }

  apply(states: ControlState[]): void {
    for (const state of states) {
      const s = this.shown[state.index];
      if (!s) continue; // its page is made, and asks for its state, when first shown
      s.value = state.value;
      const disabled = state.disabled !== undefined;
      if (s.input instanceof HTMLSelectElement) {
        if (state.choices) fillChoices(s.input, state.choices, state.value);
        s.input.disabled = disabled;
      } else if (s.input instanceof HTMLInputElement) {
        s.input.disabled = disabled;
        for (const item of s.items) item.disabled = disabled;
      }
      if (s.input instanceof HTMLInputElement && s.input.type === "text") showRange(s.input, state.range);
      s.range = state.range;
      s.input.title = state.disabled ?? rangeText(state.range);
      if (s.input instanceof HTMLSelectElement) {
        if (s.input === document.activeElement) this.showEntriesEnabling(state.index);
      } else disableItems(s, state.itemsDisabled ?? []);
      this.putBack(state.index);
    }
  }

  private showEntriesEnabling(index: number): void {
    const s = this.shown[index] as Shown;
    disableItems(s, JSON.parse(this.session.entriesDisabled(s.control.name)) as string[]);
  }

  // Up and down arrows step a number as a spin box does, within its range;
  // the value is committed on Enter or on leaving, as a typed one.
  private stepBy(index: number, direction: number, e: KeyboardEvent): void {
    const s = this.shown[index] as Shown;
    const input = s.input as HTMLInputElement;
    if (!s.range) return;
    e.preventDefault();
    const { lowest, highest, step, decimals } = s.range;
    const now = Number(input.value);
    const next = Number.isFinite(now) && input.value.trim() !== "" ? now + direction * step : lowest;
    input.value = Math.min(highest, Math.max(lowest, next)).toFixed(decimals);
    input.setAttribute("aria-valuenow", input.value);
  }

  // The shown value back into the control.
  private putBack(index: number): void {
    const s = this.shown[index] as Shown;
    const input = s.input;
    if (input instanceof HTMLSelectElement) {
      if (![...input.options].some((o) => o.value === s.value)) fillChoices(input, [...input.options].map((o) => o.value), s.value);
      input.value = s.value;
    } else if (input instanceof HTMLOutputElement) {
      input.value = s.value;
    } else if (input.type === "checkbox") {
      input.checked = s.value === "on";
    } else {
      input.value = s.value;
      if (s.range && Number.isFinite(Number(s.value))) input.setAttribute("aria-valuenow", s.value);
      else input.removeAttribute("aria-valuenow");
    }
    const bits = setBits(s.value);
    s.items.forEach((item, bit) => (item.checked = bits.has(bit)));
  }
}

// A number control with its range is a spin button for a screen reader;
// the text stays as typed, as the window's field takes it.
function showRange(input: HTMLInputElement, range: NumberRange | undefined): void {
  if (!range) {
    for (const name of ["role", "aria-valuemin", "aria-valuemax", "aria-valuenow"]) input.removeAttribute(name);
    return;
  }
  input.setAttribute("role", "spinbutton");
  input.setAttribute("aria-valuemin", range.lowest.toFixed(range.decimals));
  input.setAttribute("aria-valuemax", range.highest.toFixed(range.decimals));
  input.inputMode = range.decimals > 0 ? "decimal" : "numeric";
}

function rangeText(range: NumberRange | undefined): string {
  return range ? `${range.lowest.toFixed(range.decimals)} to ${range.highest.toFixed(range.decimals)}` : "";
}

// The entries of a list or the boxes of a set the window disables one by one.
function disableItems(s: Shown, reasons: string[]): void {
  const items = s.input instanceof HTMLSelectElement ? [...s.input.options] : s.items;
  const whole = s.input instanceof HTMLSelectElement || s.input instanceof HTMLInputElement ? s.input.disabled : false;
  items.forEach((item, k) => {
    const why = reasons[k] ?? "";
    if (item instanceof HTMLOptionElement) item.disabled = why !== "";
    else item.disabled = whole || why !== "";
    item.title = why || (item instanceof HTMLOptionElement ? "" : String(k + 1));
  });
}

function fillChoices(select: HTMLSelectElement, choices: string[], value: string): void {
  const all = choices.includes(value) ? choices : [...choices, value];
  select.replaceChildren(...all.map((c) => new Option(c, c)));
}

function setBits(value: string): Set<number> {
  const m = /^\{([\d,]*)\}$/.exec(value);
  return new Set(m && m[1] ? m[1].split(",").map(Number) : []);
}

function setText(items: HTMLInputElement[]): string {
  return `{${items.flatMap((item, bit) => (item.checked ? [bit] : [])).join(",")}}`;
}
